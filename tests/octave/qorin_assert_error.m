## qorin_assert_error - asserts that f raises exactly the message text (the host drops a trailing newline).
function qorin_assert_error (f, text)
  try
    f ();
  catch err
    expected = regexprep (text, '\n$', '');
    actual = regexprep (err.message, '^qorincam: ', '');
    if (! strcmp (actual, expected))
      error ("qorin_assert_error: expected error\n  '%s'\nbut got\n  '%s'", expected, actual);
    endif
    return;
  end_try_catch
  error ("qorin_assert_error: expected error '%s' but the call succeeded", text);
endfunction

## qorin_fail_step - camera 1 connected afresh with a 4-by-2 frame; the SDK call named in row{1}
## fails with error 9 after row{2} good calls, and f must raise row{3}. Returns the call's name.
function name = qorin_fail_step (row, f)
  qorin_reset ();
  qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
  qorincam (0, 1);
  [name, skip, msg] = row{:};
  qorinsim ("fail", name, 9, 1, skip);
  qorin_assert_error (f, msg);
endfunction

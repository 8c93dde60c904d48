## qorin_error_id - the identifier of the error f raises, or "" when it raises none.
function id = qorin_error_id (f)
  id = "";
  try
    f ();
  catch err
    id = err.identifier;
  end_try_catch
endfunction

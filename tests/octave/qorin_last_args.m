## qorin_last_args - the arguments of the last logged call of the SDK function `name`.
function args = qorin_last_args (name)
  calls = qorinsim ("calls");
  calls = calls(strcmp ({calls.name}, name));
  args = calls(end).args;
endfunction

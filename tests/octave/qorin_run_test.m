## qorin_run_test - runs the test blocks of one file and returns 0 when all of them pass.
function status = qorin_run_test (file)
  [passed, total] = test (file, "quiet", stdout);
  printf ("%s: %d of %d test blocks passed\n", file, passed, total);
  status = double (total == 0 || passed != total);
endfunction

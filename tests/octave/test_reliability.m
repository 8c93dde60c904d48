## test_reliability.m - regression tests of faults found by the native fault sweep and fuzzer.

%!test
%! ## A preview whose stream does not start leaves no display window behind, and can be
%! ## started again once the SDK agrees.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinStreamVideoControl", 7);
%! qorin_assert_error (@() qorincam (0, 1), "An error occured while opening the video preview.\n");
%! assert (isempty (qorinsim ("get", 1, "window")));
%! assert (qorinsim ("get", 1, "streaming"), false);
%! names = qorin_call_names ();
%! assert (names(end), {"QorinDestroyDisplayWindow"});
%! qorincam (0, 1);
%! assert (! isempty (qorinsim ("get", 1, "window")));
%! assert (qorinsim ("get", 1, "streaming"), true);

## Lens controller and auto-focus (codes 69, 71-74).

%!test
%! ## The ten-argument start: four integers, three floats, two sign-extended pointer-width values.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (71, 1, 10, 20, 640, 480, 0, 0, 0, 0, 0);
%! assert (qorin_last_args ("QorinAutoFocusStart"), {10, 20, 640, 480, 0, 0, 0, 0, 0});
%! qorincam (71, 1, -1, 2, 3, 4, 16777217, -7, 2.9, -1, -2147483648);
%! assert (qorin_last_args ("QorinAutoFocusStart"), {-1, 2, 3, 4, double(single(16777217)), -7, 2, -1, -2147483648});
%! qorincam (69, 1, true);
%! assert (qorin_last_args ("QorinInitAutoLens"), {1});
%! qorincam (69, 1, [false true]);
%! assert (qorin_last_args ("QorinInitAutoLens"), {0});
%! qorincam (73, 1);
%! assert (qorin_last_args ("QorinAutoFocusStop"), cell (1, 0));
%! qorin_assert_error (@() qorincam (69, 1, 1), "Parameter 2 must be a boolean.");

%!test
%! ## The wait's time limit: truncated to 64 bits, low 32 kept; NaN and out-of-range give 0.
%! qorin_reset ();
%! qorincam (-1, 1);
%! limits = [5000 2.5e9 -1 4294967296.7 -4294967295 NaN Inf -Inf 1e20 9.3e18 9.2e18];
%! expected = [5000 2500000000 4294967295 0 1 0 0 0 0 0 2643984384];
%! for k = 1:numel (limits)
%!   qorincam (72, 1, limits(k));
%!   assert ([limits(k), qorin_last_args("QorinAutoFocusWait"){1}], [limits(k), expected(k)]);
%! endfor
%! qorin_assert_error (@() qorincam (72, 1, int32 (5)), "Parameter 2 must be a double.");

%!test
%! ## Progress is widened exactly to a double.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "progress", 37.5);
%! assert (qorincam (74, 1), 37.5);
%! qorinsim ("set", 1, "progress", 0.1);
%! assert (qorincam (74, 1), double (single (0.1)));

%!test
%! ## Failure and not-connected messages; 72 and 74 carry the SDK's error number.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! cases = {{69, true}, "QorinInitAutoLens", "An error occured while initializing the lens controller.", ...
%!            "Could not initialize the lens controller. Camera 2 is not connected."
%!          {71, 1, 2, 3, 4, 5, 6, 7, 8, 9}, "QorinAutoFocusStart", ...
%!            "An error occured while starting an auto-focus operation.", ...
%!            "Could not start an auto-focus operation. Camera 2 is not connected."
%!          {72, 10}, "QorinAutoFocusWait", ...
%!            "An error occured while setting the focus wait timeout value. Error# -12", ...
%!            "Could not set focus timeout value. Camera 2 is not connected."
%!          {73}, "QorinAutoFocusStop", "An error occured while stopping the auto-focus operation.", ...
%!            "Could not stop the auto-focus operation. Camera 2 is not connected."
%!          {74}, "QorinAutoFocusQueryProgress", ...
%!            "An error occured while reading the auto-focus operation progress value. Error# -12", ...
%!            "Could notget auto-focus operation progress value . Camera 2 is not connected."};
%! for k = 1:rows (cases)
%!   call = cases{k, 1};
%!   qorinsim ("fail", cases{k, 2}, -12);
%!   qorin_assert_error (@() qorincam (call{1}, 1, call{2:end}), cases{k, 3});
%!   qorin_assert_error (@() qorincam (call{1}, 2, call{2:end}), cases{k, 4});
%! endfor

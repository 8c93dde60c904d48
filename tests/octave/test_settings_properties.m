## Live camera properties: the named setters, getters and ranges, and the generic three.

%!shared named
%! ## code set, code get, code range (0: served elsewhere), property, name
%! named = {28, 29,  0, 40, "gain";
%!          30, 31,  0, 20, "exposure";
%!          42, 41, 52,  5, "gamma";
%!          44, 43, 53,  1, "contrast";
%!          46, 45, 54,  0, "brightness";
%!          48, 47, 55,  2, "hue";
%!          50, 49, 56,  3, "saturation"};

%!test
%! ## Each setter writes its own property with flags 0 and the value narrowed to float; each
%! ## getter returns the float widened; each range is a 2-by-1 column.
%! qorin_reset ();
%! qorincam (-1, 1);
%! for k = 1:rows (named)
%!   [set, get, range, prop] = named{k, 1:4};
%!   qorinsim ("range", 1, prop, [-100 100]);
%!   qorinsim ("property", 1, prop, 9, 0xFF);
%!   qorincam (set, 1, 0.1);
%!   calls = qorinsim ("calls");
%!   assert (calls(end).name, "QorinSetProperty");
%!   assert (calls(end).args, {prop, 0.10000000149011612, 0});
%!   assert (qorinsim ("get", 1, "property", prop), [0.10000000149011612 0]);
%!   r = qorincam (get, 1);
%!   assert (isscalar (r) && r == 0.10000000149011612);
%!   if (range)
%!     qorinsim ("range", 1, prop, [-2.5 0.1]);
%!     assert (qorincam (range, 1), [-2.5; 0.10000000149011612]);
%!     calls = qorinsim ("calls");
%!     assert (calls(end).args{1}, prop);
%!   endif
%! endfor

%!test
%! ## Gain and exposure refuse values below zero before the SDK; zero and NaN go through.
%! ## The other five pass negative values to the SDK.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (28, 1, -1), "Gain must be a non-negative number.");
%! qorin_assert_error (@() qorincam (30, 1, -1e-9), "Exposure must be a non-negative number.");
%! assert (isempty (qorin_call_names ("QorinNumCameras")));
%! qorinsim ("range", 1, 40, [0 16]);
%! qorincam (28, 1, 0);
%! qorincam (30, 1, 0);
%! qorin_assert_error (@() qorincam (28, 1, NaN), "An error occured while setting the gain.");
%! calls = qorinsim ("calls");
%! assert (isnan (calls(end).args{2}));
%! for k = 3:rows (named)
%!   qorinsim ("range", 1, named{k, 4}, [-10 10]);
%!   qorincam (named{k, 1}, 1, -3);
%!   assert (qorinsim ("get", 1, "property", named{k, 4})(1), -3);
%! endfor

%!test
%! ## SDK failures and not-connected messages of the named commands.
%! qorin_reset ();
%! qorincam (-1, 1);
%! for k = 1:rows (named)
%!   [set, get, range, prop, name] = named{k, :};
%!   qorinsim ("fail", "QorinSetProperty", 9);
%!   qorin_assert_error (@() qorincam (set, 1, 1), ["An error occured while setting the " name "."]);
%!   qorinsim ("fail", "QorinGetProperty", 9);
%!   qorin_assert_error (@() qorincam (get, 1), ["An error occured while getting the " name "."]);
%!   if (range)
%!     qorinsim ("fail", "QorinPropertyRange", 9);
%!     qorin_assert_error (@() qorincam (range, 1), ["Failed to get the " name " range."]);
%!   endif
%! endfor
%! qorincam (-2, 1);
%! for k = 1:rows (named)
%!   [set, get, range, prop, name] = named{k, :};
%!   qorin_assert_error (@() qorincam (set, 1, 1), ["Could not set " name ". Camera 1 is not connected."]);
%!   qorin_assert_error (@() qorincam (get, 1), ["Could not get " name ". Camera 1 is not connected."]);
%!   if (range)
%!     qorin_assert_error (@() qorincam (range, 1), ["Could not get " name " range. Camera 1 is not connected."]);
%!   endif
%! endfor

%!test
%! ## Generic get: a 1-by-2 row, the flags word as a signed 32-bit number.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("property", 1, 77, 0.1, 0x80000001);
%! assert (qorincam (39, 1, 77), [0.10000000149011612, -2147483647]);
%! qorinsim ("property", 1, 77, 2, 5);
%! assert (qorincam (39, 1, 77), [2 5]);
%! qorinsim ("fail", "QorinGetProperty", 9);
%! qorin_assert_error (@() qorincam (39, 1, 77), "An error occured while getting the exposure.");
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (39, 1, 77), "Could not get exposure. Camera 1 is not connected.");

%!test
%! ## Generic set: the same SDK call as the named setter; parameter 3 of any numeric class
%! ## is taken by value; parameter 4 is truncated and passed as the flags word.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (30, 1, 10);
%! calls = qorinsim ("calls");
%! named_call = calls(end);
%! qorincam (40, 1, 20, 10, 0);
%! calls = qorinsim ("calls");
%! assert (calls(end), named_call);
%! qorincam (40, 1, 20, int8 (-3) + 100, 2.9);
%! calls = qorinsim ("calls");
%! assert (calls(end).args, {20, 97, 2});
%! qorincam (40, 1, 200.7, single (0.1), uint16 (7));
%! calls = qorinsim ("calls");
%! assert (calls(end).args, {200, 0.10000000149011612, 7});
%! assert (qorinsim ("get", 1, "property", 200), [0.10000000149011612 7]);
%! qorin_assert_error (@() qorincam (40, 1, int32 (20), 1, 0), "Parameter 2 must be a double.");
%! qorin_assert_error (@() qorincam (40, 1, 20, [1 2], 0), "Parameter 3 must be an integer.");
%! qorinsim ("fail", "QorinSetProperty", 9);
%! qorin_assert_error (@() qorincam (40, 1, 20, 1, 0), "An error occured while setting the property.");
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (40, 1, 20, 1, 0), "Could not set property. Camera 1 is not connected.");

%!test
%! ## Generic range: a 2-by-1 column of minimum and maximum.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("range", 1, 108, [-50.5 40]);
%! assert (qorincam (51, 1, 108), [-50.5; 40]);
%! qorinsim ("fail", "QorinPropertyRange", 9);
%! qorin_assert_error (@() qorincam (51, 1, 108), "Failed to get the property range.");
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (51, 1, 108), "Could not get exposure range. Camera 1 is not connected.");

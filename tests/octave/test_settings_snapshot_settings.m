## Snapshot settings 14-27 and 78: stored in the camera's record, read back, handed to the SDK by captures.

%!test
%! ## Defaults after connect, and round trips through the setters and getters.
%! qorin_reset ();
%! qorincam (-1, 1);
%! assert (qorincam (21, 1), [1; 1; 1; 1]);
%! assert (qorincam (19, 1), false);
%! assert (qorincam (23, 1), false);
%! assert (qorincam (25, 1), 0);
%! assert (qorincam (27, 1), false);
%! qorinsim ("clearcalls");
%! qorincam (20, 1, 2, 3, 4, 5);
%! assert (qorincam (21, 1), [2; 3; 4; 5]);
%! qorincam (18, 1, true);   assert (qorincam (19, 1), true);
%! qorincam (18, 1, false);  assert (qorincam (19, 1), false);
%! qorincam (22, 1, true);   assert (qorincam (23, 1), true);
%! qorincam (26, 1, true);   assert (qorincam (27, 1), true);
%! qorincam (24, 1, 0.1);
%! d = qorincam (25, 1);
%! assert (class (d), "double");
%! assert (d, double (single (0.1)));
%! qorincam (24, 1, 0);      assert (qorincam (25, 1), 0);
%! qorincam (15, 1, 0);
%! qorincam (17, 1, 0);
%! qorincam (78, 1, 1);
%! qorincam (78, 1, 1.7);
%! qorincam (78, 1, -0.5);
%! ## None of them talks to the SDK beyond the connection check.
%! assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));

%!test
%! ## The stored block is what a capture hands to the SDK, fields in record order.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (-1, 1);
%! qorincam (15, 1, 12.5);
%! qorincam (17, 1, 3);
%! qorincam (20, 1, 2, 3, 4, 5);
%! qorincam (22, 1, true);
%! qorincam (24, 1, 7);
%! qorincam (26, 1, true);
%! qorincam (78, 1, 1);
%! qorinsim ("clearcalls");
%! qorincam (13, 1);
%! calls = qorinsim ("calls");
%! s = calls(strcmp ({calls.name}, "QorinTakeSnapshot")).args{1};
%! assert ([s.exposure s.gain s.redGain s.blueGain s.green1Gain s.green2Gain], [12.5 3 2 5 3 4]);
%! assert ([s.strobe s.strobeDelay s.trigger s.timeout s.shutterType], [1 7 1 5000 1]);
%! ## A new connection starts again from the defaults.
%! qorincam (-2, 1);
%! qorincam (-1, 1);
%! assert (qorincam (21, 1), [1; 1; 1; 1]);
%! assert (qorincam (23, 1), false);

%!test
%! ## Rejected values change nothing; the first failing colour gain in argument order is named.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (20, 1, 2, 3, 4, 5);
%! qorin_assert_error (@() qorincam (20, 1, -1, -1, 1, 1), "Red gain must be a non-negative number.");
%! qorin_assert_error (@() qorincam (20, 1, 1, -1, -1, 1), "Green1 gain must be a non-negative number.");
%! qorin_assert_error (@() qorincam (20, 1, 1, 1, -1, -1), "Green2 gain must be a non-negative number.");
%! qorin_assert_error (@() qorincam (20, 1, 1, 1, 1, -1), "Blue gain must be a non-negative number.");
%! assert (qorincam (21, 1), [2; 3; 4; 5]);
%! qorin_assert_error (@() qorincam (15, 1, -0.001), "Exposure must be a non-negative number.");
%! qorin_assert_error (@() qorincam (17, 1, -0.001), "Gain must be a non-negative number.");
%! qorincam (24, 1, 3);
%! qorin_assert_error (@() qorincam (24, 1, -0.001), "Delay must be a non-negative value.");
%! assert (qorincam (25, 1), 3);
%! qorincam (24, 1, NaN);           # NaN is not less than zero
%! assert (isnan (qorincam (25, 1)));
%! qorin_assert_error (@() qorincam (78, 1, 2), "Invalid entry for shutter type.");
%! qorin_assert_error (@() qorincam (78, 1, -1), "Invalid entry for shutter type.");
%! qorin_assert_error (@() qorincam (78, 1, 1e10), "Invalid entry for shutter type.");

%!test
%! ## Exposure and gain ranges: 2-by-1 columns of the live properties 20 and 40.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("range", 1, 20, [0.5 9000]);
%! qorinsim ("range", 1, 40, [1 16]);
%! r = qorincam (14, 1);
%! assert (size (r), [2 1]);
%! assert (r, [0.5; 9000]);
%! assert (qorincam (16, 1), [1; 16]);
%! calls = qorinsim ("calls");
%! ranges = calls(strcmp ({calls.name}, "QorinPropertyRange"));
%! assert (cellfun (@(a) a{1}, {ranges.args}), [20 40]);
%! qorinsim ("fail", "QorinPropertyRange", 3);
%! qorin_assert_error (@() qorincam (14, 1), "Failed to get the exposure range.");
%! qorinsim ("fail", "QorinPropertyRange", 3);
%! qorin_assert_error (@() qorincam (16, 1), "Failed to get the gain range.");

%!test
%! ## Each command's not-connected message names the camera.
%! qorin_reset (2);
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! msgs = {14, {}, "Could not get exposure range. Camera 2 is not connected."
%!         15, {1}, "Could not set exposure. Camera 2 is not connected."
%!         16, {}, "Could not get gain range. Camera 2 is not connected."
%!         17, {1}, "Could not set gain. Camera 2 is not connected."
%!         18, {true}, "Could not set 16-bit mode. Camera 2 is not connected."
%!         19, {}, "Could not check 16-bit mode. Camera 2 is not connected."
%!         20, {1, 1, 1, 1}, "Could not set colour gain. Camera 2 is not connected."
%!         21, {}, "Could not get colour gain. Camera 2 is not connected."
%!         22, {true}, "Could not set strobe. Camera 2 is not connected."
%!         23, {}, "Could not get strobe status. Camera 2 is not connected."
%!         24, {1}, "Could not set strobe delay. Camera 2 is not connected."
%!         25, {}, "Could not get strobe delay. Camera 2 is not connected."
%!         26, {true}, "Could not set hw trigger use. Camera 2 is not connected."
%!         27, {}, "Could not get hw trigger use. Camera 2 is not connected."
%!         78, {0}, "Could not set shutter type. Camera 2 is not connected."};
%! for k = 1:rows (msgs)
%!   qorin_assert_error (@() qorincam (msgs{k, 1}, 2, msgs{k, 2}{:}), msgs{k, 3});
%! endfor
%! qorin_assert_error (@() qorincam (15, 0, 1), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (21, 3), "Not enough cameras connected.");
%! qorin_assert_error (@() qorincam (21, 1), "Camera ID not found.");

%!test
%! ## The 16-bit choice is the snapshot format's pixel format: a camera connected with a
%! ## video format of neither 0 nor 1 reads as not 16-bit.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 3));
%! qorincam (-1, 1);
%! assert (qorincam (19, 1), false);
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 1));
%! qorincam (-2, 1);
%! qorincam (-1, 1);
%! assert (qorincam (19, 1), true);

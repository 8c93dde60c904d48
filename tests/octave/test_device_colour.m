## Colour matrix and look-up tables (codes 86, 88-90).

%!test
%! ## The matrix reads the same way in MATLAB as in the SDK, both ways.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "matrix", [1 2 3; 4 5 6; 7 8 9]);
%! m = qorincam (86, 1);
%! assert (m, [1 2 3; 4 5 6; 7 8 9]);
%! assert (class (m), "double");
%! qorincam (90, 1, [1 2 3; 4 5 6; 7 8 0.45]);
%! assert (qorin_last_args ("QorinSetupCustomMatrix"), {double(single([1 2 3 4 5 6 7 8 0.45]))});
%! assert (qorinsim ("get", 1, "matrix"), double (single ([1 2 3; 4 5 6; 7 8 0.45])));
%! ## Other numeric classes are read by value.
%! qorincam (90, 1, int8 ([-1 2 3; 4 5 6; 7 8 127]));
%! assert (qorincam (86, 1), [-1 2 3; 4 5 6; 7 8 127]);
%! qorincam (90, 1, single ([9 8 7; 6 5 4; 3 2 1.5]));
%! assert (qorincam (86, 1), [9 8 7; 6 5 4; 3 2 1.5]);

%!test
%! ## Custom matrix refusals: shape first, then data that holds no numbers.
%! qorin_reset ();
%! qorincam (-1, 1);
%! for m = {ones(3, 4), ones(2, 3), 1:9, ones(9, 1), [], ones(3, 3, 2)}
%!   qorin_assert_error (@() qorincam (90, 1, m{1}), "Matrix must be of size 3x3");
%! endfor
%! for m = {repmat("abc", 3, 1), true(3), cell(3), repmat(struct("a", 1), 3, 3)}
%!   qorin_assert_error (@() qorincam (90, 1, m{1}), "Matrix data must be of type float.");
%! endfor
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinCameraOpen", "QorinGetFormat"});
%! qorinsim ("fail", "QorinSetupCustomMatrix", 1);
%! qorin_assert_error (@() qorincam (90, 1, eye (3)), "Error setting up custom matrix.");
%! qorinsim ("fail", "QorinGetCurrentMatrix", 1);
%! qorin_assert_error (@() qorincam (86, 1), "Could not get current matrix.");

%!test
%! ## The byte rule at its edges, for tables of any numeric class.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (88, 1, [255.9 256 -1 NaN Inf -Inf 1e20 -0.9 511 -256.5], 10);
%! assert (qorin_last_args ("QorinSetup8bitsLUT"), {uint8([255 0 255 0 0 0 0 0 255 0]), 10});
%! qorincam (88, 1, 256:511, 256);
%! assert (qorinsim ("get", 1, "lut").table, uint8 (0:255));
%! qorincam (88, 1, int16 ([-1 300 7]), 3);
%! assert (qorinsim ("get", 1, "lut").table, uint8 ([255 44 7]));
%! qorincam (88, 1, single ([1.5 2.5; 3.5 4.5]), 4);
%! assert (qorinsim ("get", 1, "lut").table, uint8 ([1 3 2 4]));
%! qorincam (88, 1, uint64 (18446744073709551615), 1);
%! assert (qorinsim ("get", 1, "lut").table, uint8 (0));
%! ## A table longer than the length gives its first elements; a 16-byte table is passed as it is.
%! qorincam (88, 1, 0:255, 16);
%! assert (qorinsim ("get", 1, "lut").table, uint8 (0:15));
%! qorincam (88, 1, [], 0);
%! assert (qorin_last_args ("QorinSetup8bitsLUT"), {zeros(1, 0, "uint8"), 0});

%!test
%! ## The colour table passes the four flags in parameter order.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (89, 1, 0:255, 256, true, false, false, true);
%! args = qorin_last_args ("QorinSetup8bitsColorLUT");
%! assert (args(2:end), {256, 1, 0, 0, 1});
%! assert (args{1}, uint8 (0:255));
%! qorincam (89, 1, [1 2], 2, false, true, [true false], false);
%! assert (qorin_last_args ("QorinSetup8bitsColorLUT"), {uint8([1 2]), 2, 0, 1, 1, 0});

%!test
%! ## Table refusals in their order: allocation (negative length) before the class, then a
%! ## short table, never read past its end; nothing reaches the SDK.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! for code = {{88}, {89, true, true, true, true}}
%!   c = code{1};
%!   qorin_assert_error (@() qorincam (c{1}, 1, "abc", -1, c{2:end}), "Error allocating memory for buffer.");
%!   qorin_assert_error (@() qorincam (c{1}, 1, "abc", 3, c{2:end}), ...
%!     "Look up table must be a numeric array of 256 bytes.");
%!   qorin_assert_error (@() qorincam (c{1}, 1, {1, 2}, 2, c{2:end}), ...
%!     "Look up table must be a numeric array of 256 bytes.");
%!   qorin_assert_error (@() qorincam (c{1}, 1, true (1, 4), 2, c{2:end}), ...
%!     "Look up table must be a numeric array of 256 bytes.");
%!   qorin_assert_error (@() qorincam (c{1}, 1, 1:15, 16, c{2:end}), ...
%!     "Look up table has fewer elements than the length given.");
%!   qorin_assert_error (@() qorincam (c{1}, 1, [], 1, c{2:end}), ...
%!     "Look up table has fewer elements than the length given.");
%! endfor
%! assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));

%!test
%! ## SDK failures carry the error number; not-connected messages name the camera.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinSetup8bitsLUT", 33);
%! qorin_assert_error (@() qorincam (88, 1, 1:4, 4), "Error while setting up the 8-bit lookup table. Error# 33");
%! qorinsim ("fail", "QorinSetup8bitsColorLUT", 4294967295);
%! qorin_assert_error (@() qorincam (89, 1, 1:4, 4, true, true, true, true), ...
%!   "Error while setting up the 8-bit color lookup table. Error# -1");
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (86, 2), "Could not get matrix. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (88, 2, 1:4, 4), "Could not set up 8 bit look up table. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (89, 2, 1:4, 4, true, true, true, true), ...
%!   "Could set up 8 bit look up table. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (90, 2, eye (3)), "Could set up custom matrix. Camera 2 is not connected.");

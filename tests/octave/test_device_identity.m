## Identity queries (codes 58, 59, 60, 94) and the extern interface selection (code 100).

%!test
%! ## "USB2" only for interface code 2; unsigned 32-bit values reach MATLAB unchanged.
%! qorin_reset ();
%! qorincam (-1, 1);
%! for code = [0 1 3 4294967295]
%!   qorinsim ("set", 1, "interface", code);
%!   assert (qorincam (58, 1), "USB1");
%! endfor
%! qorinsim ("set", 1, "interface", 2);
%! assert (qorincam (58, 1), "USB2");
%! qorinsim ("set", 1, "cameraId", 4294967295, "pixelDepth", 2147483648, "hwRevision", 0);
%! assert (qorincam (59, 1), 4294967295);
%! assert (qorincam (60, 1), 2147483648);
%! assert (qorincam (94, 1), 0);
%! assert (class (qorincam (59, 1)), "double");

%!test
%! ## Each query's failure message, through an injected SDK failure.
%! qorin_reset ();
%! qorincam (-1, 1);
%! cases = {58, "QorinQueryExternInterface", "Failed to query external interface."
%!          59, "QorinGetCameraId", "Failed to get camera ID."
%!          60, "QorinGetTruePixelDepth", "Failed to get pixel depth."
%!          94, "QorinGetHardwareRevision", "Error while getting hardware revision."};
%! for k = 1:rows (cases)
%!   qorinsim ("fail", cases{k, 2}, 3);
%!   qorin_assert_error (@() qorincam (cases{k, 1}, 1), cases{k, 3});
%! endfor

%!test
%! ## The connection check with each query's own not-connected message.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! qorin_assert_error (@() qorincam (60, 2), "Camera ID not found.");
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (58, 2), "Could not query USB interface. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (59, 2), "Could not get camera ID. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (60, 2), "Could not get pixel depth. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (94, 2), "Could not get hardware revision. Camera 2 is not connected.");
%! qorinsim ("attach", 1);
%! qorin_assert_error (@() qorincam (60, 2), "Not enough cameras connected.");

%!test
%! ## Code 100 needs no camera: the selector goes to the SDK as it is, signed.
%! qorin_reset (0);
%! qorincam (100, 7);
%! assert (qorin_call_names (), {"QorinSelectExternInterface"});
%! assert (qorinsim ("get", 1, "interfaceSelector"), 7);
%! qorincam (100, -3);
%! assert (qorinsim ("calls")(end).args, {-3});
%! qorinsim ("fail", "QorinSelectExternInterface", 1);
%! qorin_assert_error (@() qorincam (100, 7), "Could not select extern interface.");

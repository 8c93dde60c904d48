## Fast frames 87: every buffer before the mode, N captures back to back, mode off before conversion.

%!test
%! ## N = 3 on a previewing camera: one stop, one enable, three captures, one disable, one restart;
%! ## slab f is frame f; conversion parameters 3 and 1 whatever the camera's properties.
%! ## Odd sizes, so that no frame lines up with the array's pages or planes.
%! qorin_reset ();
%! F = uint8 (reshape (mod (0:3 * 5 * 7 - 1, 251), 5, 7, 3));
%! qorinsim ("set", 1, "format", struct ("width", 7, "height", 5), "frames", F);
%! qorinsim ("property", 1, 64, 1);
%! qorinsim ("property", 1, 65, 0);
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! P = qorincam (87, 1, 3);
%! assert (class (P), "uint8");
%! assert (size (P), [5 7 3 3]);
%! for f = 1:3
%!   assert (P(:, :, :, f), qorin_orient (qorin_sim_rgb (F(:, :, f), true), true, false));
%! endfor
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetProperty", "QorinStreamVideoControl", ...
%!   "QorinDestroyDisplayWindow", "QorinGetFormat", "QorinEnableFastFrames", "QorinTakeFastFrame", ...
%!   "QorinTakeFastFrame", "QorinTakeFastFrame", "QorinDisableFastFrames", "QorinConvertFrameToRgb24", ...
%!   "QorinConvertFrameToRgb24", "QorinConvertFrameToRgb24", "QorinGetProperty", "QorinStreamVideoControl"});
%! calls = qorinsim ("calls");
%! conv = calls(find (strcmp ({calls.name}, "QorinConvertFrameToRgb24"), 1)).args;
%! assert (conv{end}, struct ("demosaicMethod", 3, "correctionMatrix", 1));
%! assert (calls(end).args, {2, []});
%! assert (qorinsim ("get", 1, "streaming"), true);
%! assert (qorinsim ("get", 1, "fastFrames"), false);
%! ## Mirrored columns (flipping 1) are turned round after the last conversion.
%! qorinsim ("property", 1, 66, 1);
%! P = qorincam (87, 1, 3);
%! for f = 1:3
%!   assert (P(:, :, :, f), qorin_orient (qorin_sim_rgb (F(:, :, f), true), true, true));
%! endfor

%!test
%! ## N = 1 drops the trailing dimension; N is truncated; N <= 0 is refused before anything.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (-1, 1);
%! assert (size (qorincam (87, 1, 1)), [2 4 3]);
%! assert (size (qorincam (87, 1, 2.7)), [2 4 3 2]);
%! qorinsim ("clearcalls");
%! for n = [0 -1 0.5 1e10]
%!   qorin_assert_error (@() qorincam (87, 1, n), "Number of frames must be 1 or more.");
%!   qorin_assert_error (@() qorincam (87, 7, n), "Number of frames must be 1 or more.");
%! endfor
%! assert (numel (qorinsim ("calls")), 0);
%! qorin_assert_error (@() qorincam (87, 2, 1), "Not enough cameras connected.");

%!test
%! ## 16-bit monochrome: each slab its own frame; words exchanged unless the colour-format
%! ## read (the only property read before the build) leaves 0x80000000, then only masked.
%! qorin_reset ();
%! F = uint16 (reshape (4660:4660 + 2 * 3 * 2 - 1, 2, 3, 2));
%! qorinsim ("set", 1, "format", struct ("width", 3, "height", 2), "colour", false, "frames", F);
%! qorincam (-1, 1);
%! qorincam (18, 1, true);
%! qorinsim ("property", 1, 66, 1);
%! P = qorincam (87, 1, 2);
%! assert (class (P), "uint16");
%! for f = 1:2
%!   E = qorin_orient (bitand (bitor (bitshift (F(:, :, f), 8), bitshift (F(:, :, f), -8)), uint16 (65520)), false, true);
%!   assert (P(:, :, :, f), cat (3, E, E, E));
%! endfor
%! qorinsim ("property", 1, 80, 0, 2147483648);
%! qorinsim ("property", 1, 64, 0, 0);
%! P = qorincam (87, 1, 2);
%! for f = 1:2
%!   E = qorin_orient (bitand (F(:, :, f), uint16 (65520)), false, true);
%!   assert (P(:, :, :, f), cat (3, E, E, E));
%! endfor

%!test
%! ## Failures in step order; the mode is off again after each, the preview stays stopped.
%! cases = {
%!   "QorinGetProperty",  0, "An error occured while obtaining the color format.\n"
%!   "QorinStreamVideoControl",  0, "An error occured while stopping the video preview.\n"
%!   "QorinDestroyDisplayWindow", 0, "An error occured while closing the preview windows.\n"
%!   "QorinGetFormat",    0, "An error occured while obtaining the frame format.\n"
%!   "QorinEnableFastFrames", 0, "Error enabling fast frames."
%!   "QorinTakeFastFrame", 1, "Error taking fast frames."
%!   "QorinDisableFastFrames", 0, "Error enabling fast frames."
%!   "QorinConvertFrameToRgb24", 1, "Failed to convert frame to RGB24."
%!   "QorinGetProperty",  1, "Error getting flipping property."
%!   "QorinStreamVideoControl",  1, "An error occured while opening the video preview.\n"
%! };
%! for k = 1:rows (cases)
%!   name = qorin_fail_step (cases(k, :), @() qorincam (87, 1, 2));
%!   assert (qorinsim ("get", 1, "fastFrames"), false, name);
%!   assert (qorinsim ("get", 1, "streaming"), k == 1, name);
%! endfor
%! ## A failed capture turns the mode off before raising.
%! names = qorin_call_names ("QorinNumCameras");
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinTakeFastFrame", 9, 1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (87, 1, 3), "Error taking fast frames.");
%! assert (qorin_call_names ("QorinNumCameras")(end-2:end), ...
%!         {"QorinTakeFastFrame", "QorinTakeFastFrame", "QorinDisableFastFrames"});

%!test
%! ## Sizes and depths the burst refuses before the mode is enabled.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4294967295, "height", 4294967295));
%! qorincam (-1, 1);
%! qorincam (18, 1, true);
%! qorin_assert_error (@() qorincam (87, 1, 2), "Out of memory. Unable to create buffer.");
%! qorinsim ("set", 1, "format", struct ("width", 65536, "height", 65536));
%! qorin_assert_error (@() qorincam (87, 1, 2147483647), "Out of memory. Unable to create buffer.");
%! qorincam (-2, 1);
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2, "pixelFormat", 2));
%! qorincam (-1, 1);
%! qorin_assert_error (@() qorincam (87, 1, 1), "Pixel format 2 is not supported.");
%! assert (! any (strcmp (qorin_call_names (), "QorinEnableFastFrames")));

%!test
%! ## A burst that could never fit in the machine's memory is refused before anything is
%! ## allocated or captured, instead of filling the memory of the session.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (87, 1, 2e9), "Out of memory. Unable to create buffer.");
%! names = qorin_call_names ();
%! assert (! any (strcmp (names, "QorinEnableFastFrames")));
%! assert (qorinsim ("get", 1, "fastFrames"), false);
%! assert (size (qorincam (87, 1, 2)), [480 640 3 2]);

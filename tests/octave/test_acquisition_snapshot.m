## Snapshot 13: preview suspended and resumed, geometry refreshed from the video format, depth from the settings.

%!test
%! ## Without a preview: no stream or window call; the SDK calls in order; colour rows reversed.
%! qorin_reset ();
%! A = uint8 (reshape (randperm (150, 24), 4, 6));
%! qorinsim ("set", 1, "format", struct ("width", 6, "height", 4), "frame", A);
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! P = qorincam (13, 1);
%! assert (class (P), "uint8");
%! assert (P, qorin_orient (qorin_sim_rgb (A, true), true, false));
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetProperty", "QorinGetFormat", "QorinTakeSnapshot", ...
%!         "QorinGetProperty", "QorinGetProperty", "QorinConvertFrameToRgb24", "QorinGetProperty"});
%! calls = qorinsim ("calls");
%! props = cellfun (@(a) a{1}, {calls(strcmp ({calls.name}, "QorinGetProperty")).args});
%! assert (props, [80 65 64 66]);
%! qorinsim ("property", 1, 66, 3);
%! assert (qorincam (13, 1), qorin_orient (qorin_sim_rgb (A, true), true, true));

%!test
%! ## A previewing camera: stop and destroy before, restart with mode 2 after, no new window.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 8, "height", 6));
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! P = qorincam (13, 1);
%! assert (size (P), [6 8 3]);
%! names = qorin_call_names ("QorinNumCameras");
%! assert (names([1 2 end]), {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", "QorinStreamVideoControl"});
%! assert (! any (strcmp (names, "QorinCreateDisplayWindow")));
%! calls = qorinsim ("calls");
%! streams = calls(strcmp ({calls.name}, "QorinStreamVideoControl"));
%! assert ({streams.args}, {{0, []}, {2, []}});
%! assert (find (strcmp (names, "QorinTakeSnapshot")) > 2);
%! assert (qorinsim ("get", 1, "streaming"), true);
%! assert (isempty (qorinsim ("get", 1, "window")));
%! qorin_assert_error (@() qorincam (0, 1), ...
%!   "Camera may already be previewing. Stop the preview before calling this function.\n");

%!test
%! ## The snapshot format takes the video geometry and keeps its own depth: 16-bit snapshots
%! ## of an 8-bit video format give uint16 arrays; monochrome orientation per flipping.
%! qorin_reset ();
%! qorinsim ("set", 1, "colour", false);
%! qorincam (-1, 1);
%! qorincam (18, 1, true);
%! video = struct ("width", 14, "height", 9, "xOffset", 3, "yOffset", 5, "xBinSub", 2, "yBinSub", 3, ...
%!                 "xFlags", 7, "yFlags", 11, "pixelFormat", 0);
%! qorinsim ("set", 1, "format", video);
%! A = uint16 (reshape (1:21, 3, 7) * 1000 + 4660);
%! qorinsim ("set", 1, "frame", A);
%! qorinsim ("clearcalls");
%! swapped = bitand (bitor (bitshift (A, 8), bitshift (A, -8)), uint16 (65520));
%! for f = [0 1 2 3]
%!   qorinsim ("property", 1, 66, f);
%!   P = qorincam (13, 1);
%!   assert (class (P), "uint16");
%!   E = qorin_orient (swapped, any (f == [2 3]), any (f == [1 3]));
%!   assert (P, cat (3, E, E, E));
%! endfor
%! calls = qorinsim ("calls");
%! s = calls(find (strcmp ({calls.name}, "QorinTakeSnapshot"), 1)).args{1};
%! expected = video;  expected.pixelFormat = 1;
%! assert (s.format, expected);
%! ## The mask-only rule when the demosaic read leaves 0x80000000.
%! qorinsim ("property", 1, 66, 0);
%! qorinsim ("property", 1, 64, 0, 2147483648);
%! masked = bitand (A, uint16 (65520));
%! assert (qorincam (13, 1), cat (3, masked, masked, masked));

%!test
%! ## Capture failures: time-out, other errors (formatted with the number and the camera).
%! qorin_reset (2);
%! qorinsim ("set", 2, "format", struct ("width", 4, "height", 4));
%! qorincam (-1, 2);
%! qorinsim ("fail", "QorinTakeSnapshot", 19);
%! qorin_assert_error (@() qorincam (13, 2), "Snapshot timed out.");
%! qorinsim ("fail", "QorinTakeSnapshot", 5);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (13, 2), "Error 5 occured while attempting to take a fast frame with camera 2.");
%! assert (qorin_call_names ("QorinNumCameras")(end-1:end), {"QorinTakeSnapshot", "QorinGetLastError"});
%! qorinsim ("fail", "QorinTakeSnapshot", 4294967295);
%! qorin_assert_error (@() qorincam (13, 2), ...
%!   "Error 4294967295 occured while attempting to take a fast frame with camera 2.");
%! assert (size (qorincam (13, 2)), [4 4 3]);

%!test
%! ## Every other failure on a previewing camera: its message, then the stream stays stopped
%! ## without a window while the camera still counts as previewing.
%! cases = {
%!   "QorinStreamVideoControl",  0, "An error occured while stopping the video preview.\n"
%!   "QorinDestroyDisplayWindow", 0, "An error occured while closing the preview windows.\n"
%!   "QorinGetProperty",  0, "An error occured while obtaining the color format.\n"
%!   "QorinGetFormat",    0, "An error occured while obtaining the frame format.\n"
%!   "QorinGetProperty",  1, "Error acquiring the correction matrix."
%!   "QorinGetProperty",  2, "Error acquiring the demosaic method."
%!   "QorinConvertFrameToRgb24", 0, "Failed to convert frame to RGB24."
%!   "QorinGetProperty",  3, "Error getting flipping property."
%!   "QorinStreamVideoControl",  1, "An error occured while opening the video preview.\n"
%! };
%! for k = 1:rows (cases)
%!   qorin_fail_step (cases(k, :), @() qorincam (13, 1));
%!   if (k > 1)
%!     assert (qorinsim ("get", 1, "streaming"), false);
%!   endif
%!   if (k > 2)
%!     assert (isempty (qorinsim ("get", 1, "window")));
%!   endif
%!   qorinsim ("clearcalls");
%!   qorincam (1, 1);          # still previewing: the stop goes to the SDK
%!   assert (qorin_call_names ("QorinNumCameras"), {"QorinStreamVideoControl", "QorinDestroyDisplayWindow"});
%! endfor

%!test
%! ## The refreshed geometry stays after a failure past the format read; the format read
%! ## itself failing, or giving a zero factor, leaves it alone.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "format", struct ("width", 6, "height", 2));
%! qorinsim ("fail", "QorinTakeSnapshot", 5);
%! qorin_assert_error (@() qorincam (13, 1), "Error 5 occured while attempting to take a fast frame with camera 1.");
%! qorinsim ("set", 1, "format", struct ("xBinSub", 0));
%! qorin_assert_error (@() qorincam (13, 1), "An error occured while obtaining the frame format.\n");
%! qorinsim ("set", 1, "format", struct ("xBinSub", 1));
%! qorinsim ("fail", "QorinGetFormat", 9);
%! qorin_assert_error (@() qorincam (13, 1), "An error occured while obtaining the frame format.\n");
%! ## Synchronous snapshots use the stored format without a refresh: it is the 6-column one.
%! qorinsim ("attach", 2);
%! qorinsim ("set", 2, "format", struct ("width", 4, "height", 2));
%! qorincam (-1, 2);
%! qorin_assert_error (@() qorincam (32), "Camera sizes must all be the same to take synchronous snapshots.");

%!test
%! ## Depths the snapshot cannot size, and sizes that cannot be allocated.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 3, "width", 4, "height", 2));
%! qorincam (0, 1);
%! qorin_assert_error (@() qorincam (13, 1), "Pixel format 3 is not supported.");
%! assert (qorinsim ("get", 1, "streaming"), false);
%! qorincam (18, 1, true);
%! qorinsim ("set", 1, "format", struct ("width", 4294967295, "height", 4294967295));
%! qorin_assert_error (@() qorincam (13, 1), "Not enough memory to make raw buffer.");
%! qorin_assert_error (@() qorincam (13, 3), "Not enough cameras connected.");

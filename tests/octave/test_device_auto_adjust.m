## One-shot adjustments, white balance from a snapshot, camera reset and the automatic ROI (codes 64-68, 70, 82-85).

%!test
%! ## Exposure and iris: the target is the low byte of parameter 2, the rest follow in order.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (64, 1, 300, 3, -4, 5, 6);
%! assert (qorin_last_args ("QorinOneShotAutoExposure"), {44, 3, -4, 5, 6});
%! qorincam (64, 1, -1, 0, 0, 0, 2147483647);
%! assert (qorin_last_args ("QorinOneShotAutoExposure"), {255, 0, 0, 0, 2147483647});
%! qorincam (70, 1, 255.9, 7, 8, 9, 10.9);
%! assert (qorin_last_args ("QorinOneShotAutoIris"), {255, 7, 8, 9, 10});
%! qorincam (70, 1, 256, 1, 2, 3, 4);
%! assert (qorin_last_args ("QorinOneShotAutoIris"), {0, 1, 2, 3, 4});

%!test
%! ## White balance: four integers in order; the extended forms narrow two doubles to floats.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (65, 1, 1, 2, 3, 4);
%! assert (qorin_last_args ("QorinOneShotAutoWhiteBalance"), {1, 2, 3, 4});
%! qorincam (67, 1, -5, 6, -7, 8);
%! assert (qorin_last_args ("QorinDigitalWhiteBalance"), {-5, 6, -7, 8});
%! qorincam (66, 1, 0.45, 1.7, 9, 8, 7, 6);
%! assert (qorin_last_args ("QorinOneShotAutoWhiteBalanceEx"), {double(single(0.45)), double(single(1.7)), 9, 8, 7, 6});
%! qorincam (68, 1, 1e-3, -2.5, 1, 2, 3, 4);
%! assert (qorin_last_args ("QorinDigitalWhiteBalanceEx"), {double(single(1e-3)), -2.5, 1, 2, 3, 4});
%! qorin_assert_error (@() qorincam (66, 1, int32 (1), 1.7, 9, 8, 7, 6), "Parameters 2 and 3 must be doubles.");

%!test
%! ## Each thin command's failure and not-connected message.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! cases = {{64, 1, 2, 3, 4, 5}, "QorinOneShotAutoExposure", "Failed to perform one shot auto-exposure.", ...
%!            "Could not perform one shot auto-exposure. Camera 2 is not connected."
%!          {70, 1, 2, 3, 4, 5}, "QorinOneShotAutoIris", "Failed to perform one shot auto-iris.", ...
%!            "Could not perform one shot auto-iris. Camera 2 is not connected."
%!          {65, 1, 2, 3, 4}, "QorinOneShotAutoWhiteBalance", "Failed to perform one shot auto-white balance.", ...
%!            "Could not perform one shot auto-white balance. Camera 2 is not connected."
%!          {66, 1, 2, 3, 4, 5, 6}, "QorinOneShotAutoWhiteBalanceEx", "Failed to perform one shot auto-white balance.", ...
%!            "Could not perform one shot auto-white balance. Camera 2 is not connected."
%!          {67, 1, 2, 3, 4}, "QorinDigitalWhiteBalance", "Failed to perform digital white balance.", ...
%!            "Could not perform digital white balance. Camera 2 is not connected."
%!          {68, 1, 2, 3, 4, 5, 6}, "QorinDigitalWhiteBalanceEx", "Failed to perform digital white balance.", ...
%!            "Could not perform digital white balance. Camera 2 is not connected."
%!          {83}, "QorinCameraReset", "Could not reset camera.", ...
%!            "Could not reset camera. Camera 2 is not connected."
%!          {84}, "QorinAutoRoiGet", "Could not get auto region of interest.", ...
%!            "Could not get roi. Camera 2 is not connected."
%!          {85, 1, 2, 3, 4}, "QorinAutoRoiSet", "An error occured while auto-setting the ROI. Error# 42", ...
%!            "Could not set roi. Camera 2 is not connected."};
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! for k = 1:rows (cases)
%!   call = cases{k, 1};
%!   qorinsim ("fail", cases{k, 2}, 42);
%!   qorin_assert_error (@() qorincam (call{1}, 1, call{2:end}), cases{k, 3});
%!   qorin_assert_error (@() qorincam (call{1}, 2, call{2:end}), cases{k, 4});
%! endfor
%! ## The ROI message carries the SDK's error number signed.
%! qorinsim ("fail", "QorinAutoRoiSet", -3);
%! qorin_assert_error (@() qorincam (85, 1, 1, 2, 3, 4), "An error occured while auto-setting the ROI. Error# -3");

%!test
%! ## The ROI both ways, as a 4-by-1 column of signed values in the SDK's order.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "roi", [-5 2147483647 -2147483648 4]);
%! assert (qorincam (84, 1), [-5; 2147483647; -2147483648; 4]);
%! qorincam (85, 1, 10, -20, 30, 40);
%! assert (qorin_last_args ("QorinAutoRoiSet"), {10, -20, 30, 40});
%! assert (qorincam (84, 1), [10; -20; 30; 40]);

%!test
%! ## Reset leaves the record alone: still connected, still previewing.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (83, 1);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinCameraReset"});
%! assert (qorincam (6, 1), true);
%! qorincam (1, 1);

%!test
%! ## Without a preview: no stream or window call; the snapshot taken is the frame handed
%! ## over; 2 and 3 as floats, 4 to 7 truncated.
%! qorin_reset ();
%! F = uint8 (reshape (1:8, 2, 4));
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2), "frame", F);
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorincam (82, 1, 1.25, single (0.3), 10.9, -2, int8 (3), 4);
%! names = qorin_call_names ("QorinNumCameras");
%! assert (names{end - 1}, "QorinTakeSnapshot");
%! assert (names{end}, "QorinAdjustWhiteBalanceFromSnapshot");
%! assert (! any (ismember (names, {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", ...
%!                                  "QorinConvertFrameToRgb24", "QorinConvertFrameToRgb48"})));
%! args = qorin_last_args ("QorinAdjustWhiteBalanceFromSnapshot");
%! assert (args(2:end), {reshape(F.', 1, []), 1.25, double(single(0.3)), 10, -2, 3, 4});
%! assert (args{1}.exposure, 60);

%!test
%! ## A previewing camera: stream stopped and window destroyed first, stream restarted with
%! ## mode 2 after the adjustment, no window created again.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (82, 1, 1, 1, 0, 0, 0, 0);
%! names = qorin_call_names ("QorinNumCameras");
%! assert (names([1 2 end]), {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", "QorinStreamVideoControl"});
%! assert (names{end - 1}, "QorinAdjustWhiteBalanceFromSnapshot");
%! assert (qorin_last_args ("QorinStreamVideoControl"){1}, 2);
%! assert (qorinsim ("get", 1, "streaming"), true);
%! assert (qorinsim ("get", 1, "window"), []);
%! assert (! ismember ("QorinCreateDisplayWindow", names));

%!test
%! ## Capture failures: error 19 is a time-out, others name the error and the camera; a failed
%! ## balance carries the SDK's error; the stream stays stopped after any of them.
%! qorin_reset (3);
%! qorincam (0, 3);
%! qorinsim ("fail", "QorinTakeSnapshot", 19);
%! qorin_assert_error (@() qorincam (82, 3, 1, 1, 0, 0, 0, 0), "Snapshot timed out.");
%! assert (qorinsim ("get", 3, "streaming"), false);
%! qorinsim ("fail", "QorinTakeSnapshot", 7);
%! qorin_assert_error (@() qorincam (82, 3, 1, 1, 0, 0, 0, 0), ...
%!   "Error 7 occured while attempting to take a snapshot with camera 3.");
%! qorinsim ("fail", "QorinAdjustWhiteBalanceFromSnapshot", 9);
%! qorin_assert_error (@() qorincam (82, 3, 1, 1, 0, 0, 0, 0), "White balance settings could not be applied. Error #9");
%! qorinsim ("fail", "QorinGetProperty", 1);
%! qorin_assert_error (@() qorincam (82, 3, 1, 1, 0, 0, 0, 0), "An error occured while obtaining the color format.\n");
%! qorinsim ("fail", "QorinGetFormat", 1);
%! qorin_assert_error (@() qorincam (82, 3, 1, 1, 0, 0, 0, 0), "An error occured while obtaining the frame format.\n");
%! assert (qorinsim ("get", 3, "streaming"), false);
%! assert (qorincam (6, 3), true);
%! qorincam (-2, 3);
%! qorin_assert_error (@() qorincam (82, 3, 1, 1, 0, 0, 0, 0), ...
%!   "Could not adjust white balance. Camera 3 is not connected.");

%!test
%! ## The refreshed geometry stays in the snapshot format: a new video size is what the SDK sees.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "format", struct ("width", 64, "height", 48));
%! qorincam (82, 1, 1, 1, 0, 0, 0, 0);
%! args = qorin_last_args ("QorinAdjustWhiteBalanceFromSnapshot");
%! assert ([args{1}.format.width, args{1}.format.height], [64 48]);

## Live preview: start (connecting when needed), stop, set preview size, adjust the display window.

%!test
%! ## Starting the preview of a camera never connected connects it, rewrites its format,
%! ## creates a visible overlapped window at 0,0 and starts the stream with mode 2.
%! qorin_reset ();
%! qorincam (0, 1);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinCameraOpen", "QorinGetFormat", "QorinGetFormat", ...
%!         "QorinSetFormat", "QorinCreateDisplayWindow", "QorinStreamVideoControl"});
%! calls = qorinsim ("calls");
%! window = calls(end - 1).args;
%! assert (window, {[], 0x10CF0000, 0, 0, 0, 0, [], []});
%! assert (calls(end).args, {2, []});
%! assert (qorinsim ("get", 1, "streaming"), true);
%! assert (qorinsim ("get", 1, "window"), [0 0]);
%! qorin_assert_error (@() qorincam (0, 1), ...
%!   "Camera may already be previewing. Stop the preview before calling this function.\n");
%! assert (qorinsim ("get", 1, "streaming"), true);
%! qorin_assert_error (@() qorincam (0, 2), "Not enough cameras connected.");
%! qorin_assert_error (@() qorincam (0, 0), "Invalid camera number.");

%!test
%! ## Stop: stream stopped, window destroyed, and a second stop refused.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (1, 1);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinStreamVideoControl", "QorinDestroyDisplayWindow"});
%! calls = qorinsim ("calls");
%! assert (calls(end - 1).args, {0, []});
%! assert (qorinsim ("get", 1, "streaming"), false);
%! qorin_assert_error (@() qorincam (1, 1), "Preview for camera 1 is already closed.");
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (1, 1), "Camera 1 already disconnected.");
%! qorin_assert_error (@() qorincam (1, 2), "Not enough cameras connected.");

%!test
%! ## A failed stop still clears the previewing flag, so the preview can be started again.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("fail", "QorinStreamVideoControl", 4);
%! qorin_assert_error (@() qorincam (1, 1), "An error occured while stopping the video preview.\n");
%! qorin_assert_error (@() qorincam (1, 1), "Preview for camera 1 is already closed.");
%! qorincam (0, 1);
%! qorinsim ("fail", "QorinDestroyDisplayWindow", 4);
%! qorin_assert_error (@() qorincam (1, 1), "An error occured while closing the preview windows.\n");
%! qorin_assert_error (@() qorincam (1, 1), "Preview for camera 1 is already closed.");

%!test
%! ## Each failing step of start leaves the camera not previewing.
%! steps = {"QorinGetFormat", "An error occured while obtaining the frame format.\n"
%!          "QorinSetFormat", "An error occured while setting the frame size.\n"
%!          "QorinCreateDisplayWindow", "A display window could not be created."
%!          "QorinStreamVideoControl", "An error occured while opening the video preview.\n"};
%! for k = 1:rows (steps)
%!   qorin_reset ();
%!   qorincam (-1, 1);
%!   qorinsim ("fail", steps{k, 1}, 7);
%!   qorin_assert_error (@() qorincam (0, 1), steps{k, 2});
%!   qorin_assert_error (@() qorincam (1, 1), "Preview for camera 1 is already closed.");
%!   qorincam (0, 1);
%!   assert (qorinsim ("get", 1, "streaming"), true);
%! endfor

%!test
%! ## A preview whose stream does not start leaves no display window behind (a fault the
%! ## native harnesses found), and can be started again once the SDK agrees.
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

%!test
%! ## Set preview size: stop, then start again with the new window size.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (79, 1, 320, 240), "Could not set preview size. Camera 1 is not previewing.");
%! assert (isempty (qorin_call_names ("QorinNumCameras")));
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (79, 1, 320, 240);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", ...
%!         "QorinGetFormat", "QorinSetFormat", "QorinCreateDisplayWindow", "QorinStreamVideoControl"});
%! assert (qorinsim ("get", 1, "window"), [320 240]);
%! assert (qorinsim ("get", 1, "streaming"), true);
%! qorin_assert_error (@() qorincam (79, 2, 1, 1), "Not enough cameras connected.");
%! qorinsim ("attach", 2);
%! qorin_assert_error (@() qorincam (79, 2, 1, 1), "Camera ID not found.");

%!test
%! ## Adjust display window: x, y, width, height in order, only while previewing.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorin_assert_error (@() qorincam (80, 1, 1, 2, 3, 4), "Could not adjust display window. Camera 1 is not previewing.");
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (80, 1, 10, -20, 300, 200.9);
%! calls = qorinsim ("calls");
%! assert (calls(end).name, "QorinAdjustDisplayWindow");
%! assert (calls(end).args, {[], 10, -20, 300, 200});
%! qorinsim ("fail", "QorinAdjustDisplayWindow", 1);
%! qorin_assert_error (@() qorincam (80, 1, 1, 2, 3, 4), "Error encountered while adjusting display window.");
%! assert (qorinsim ("get", 1, "streaming"), true);
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (80, 1, 1, 2, 3, 4), "Could adjust display window. Camera 1 is not connected.");

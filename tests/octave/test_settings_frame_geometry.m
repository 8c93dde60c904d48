## Frame geometry: frame size, offsets, 16-bit video and the frame-format structure.

%!test
%! ## Frame size against the maximum resolution: equal accepted, one more or negative refused
%! ## (the comparison is unsigned), zero handed to the SDK.
%! qorin_reset ();
%! qorinsim ("set", 1, "maxSize", [1000 800]);
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorincam (2, 1, 1000, 800);
%! calls = qorinsim ("calls");
%! props = calls(strcmp ({calls.name}, "QorinGetProperty"));
%! assert ([props(1).args{1}, props(2).args{1}], [81 82]);
%! assert (qorincam (12, 1), [1000; 800]);
%! qorin_assert_error (@() qorincam (2, 1, 1001, 800), "Invalid resolution selected.");
%! qorin_assert_error (@() qorincam (2, 1, 1000, 801), "Invalid resolution selected.");
%! qorin_assert_error (@() qorincam (2, 1, -1, 100), "Invalid resolution selected.");
%! qorin_assert_error (@() qorincam (2, 1, 100, -1), "Invalid resolution selected.");
%! qorinsim ("clearcalls");
%! qorincam (2, 1, 0, 100);
%! calls = qorinsim ("calls");
%! assert ([calls(end).args{1}.width, calls(end).args{1}.height], [0 100]);

%!test
%! ## Frame size keeps offsets, depth and flags, resets binning, and passes the rate back.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("xOffset", 4, "yOffset", 2, "xBinSub", 2, "yBinSub", 3, ...
%!           "xFlags", 7, "yFlags", 8, "pixelFormat", 1, "frameRate", 7.5));
%! qorincam (-1, 1);
%! qorincam (2, 1, 320, 240);
%! f = qorinsim ("get", 1, "format");
%! assert ([f.width f.height f.xOffset f.yOffset f.xBinSub f.yBinSub f.xFlags f.yFlags f.pixelFormat f.frameRate], ...
%!         [320 240 4 2 1 1 7 8 1 7.5]);

%!test
%! ## Format changes on a previewing camera stop the stream and destroy the window first and
%! ## restart the stream (without a window) after; a camera not previewing sees neither.
%! ## Code 9 reads the format before stopping the preview, code 2 after.
%! seqs = {{2, 1, 320, 240}, {"QorinGetProperty", "QorinGetProperty", "QorinStreamVideoControl", ...
%!          "QorinDestroyDisplayWindow", "QorinGetFormat", "QorinSetFormat", "QorinStreamVideoControl"};
%!         {9, 1, 8, 4}, {"QorinGetFormat", "QorinStreamVideoControl", "QorinDestroyDisplayWindow", ...
%!          "QorinSetFormat", "QorinStreamVideoControl"};
%!         {10, 1, true}, {"QorinGetFormat", "QorinGetFormat", "QorinStreamVideoControl", ...
%!          "QorinDestroyDisplayWindow", "QorinSetFormat", "QorinStreamVideoControl"}};
%! for k = 1:rows (seqs)
%!   qorin_reset ();
%!   qorincam (0, 1);
%!   qorinsim ("clearcalls");
%!   qorincam (seqs{k, 1}{:});
%!   assert (qorin_call_names ("QorinNumCameras"), seqs{k, 2});
%!   calls = qorinsim ("calls");
%!   assert (calls(end).args, {2, []});
%!   assert (qorinsim ("get", 1, "streaming"), true);
%!   assert (isempty (qorinsim ("get", 1, "window")));
%!   ## Still previewing: stop works and destroys the (already gone) window again.
%!   qorincam (1, 1);
%!   qorin_reset ();
%!   qorincam (-1, 1);
%!   qorinsim ("clearcalls");
%!   qorincam (seqs{k, 1}{:});
%!   names = qorin_call_names ("QorinNumCameras");
%!   assert (! any (ismember (names, {"QorinStreamVideoControl", "QorinDestroyDisplayWindow"})));
%! endfor

%!test
%! ## Offsets: negatives refused before the SDK, zero accepted, read back as a column.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (9, 1, -1, 0), "Offsets need to be positive.");
%! qorin_assert_error (@() qorincam (9, 1, 0, -1), "Offsets need to be positive.");
%! assert (isempty (qorin_call_names ("QorinNumCameras")));
%! qorincam (9, 1, 0, 0);
%! qorincam (9, 1, 12, 6);
%! assert (qorincam (8, 1), [12; 6]);
%! f = qorinsim ("get", 1, "format");
%! assert ([f.width f.height f.xBinSub], [640 480 1]);

%!test
%! ## 16-bit video: any non-zero pixel format reads as 16-bit; asking for the current depth
%! ## touches nothing, not even a previewing camera's stream.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 3));
%! qorincam (0, 1);
%! r = qorincam (11, 1);
%! assert (islogical (r) && isscalar (r) && r);
%! qorinsim ("clearcalls");
%! qorincam (10, 1, true);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetFormat"});
%! qorincam (10, 1, false);
%! f = qorinsim ("get", 1, "format");
%! assert (f.pixelFormat, 0);
%! assert (qorincam (11, 1), false);
%! qorincam (10, 1, true);
%! assert (qorinsim ("get", 1, "format").pixelFormat, 1);

%!test
%! ## Code 62 returns the ten fields in order with the float rate widened; code 63 writes them
%! ## back unchanged, without touching the preview or reading the format first.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 400, "height", 300, "xOffset", 10, "yOffset", 20, ...
%!           "xBinSub", 2, "yBinSub", 4, "xFlags", 65535, "yFlags", 1, "pixelFormat", 1, "frameRate", 0.1));
%! qorincam (0, 1);
%! s = qorincam (62, 1);
%! assert (size (s), [1 1]);
%! assert (fieldnames (s)', {"width", "height", "xOffset", "yOffset", "xBinSub", "yBinSub", ...
%!                           "xFlags", "yFlags", "pixelFormat", "frameRate"});
%! assert (s.frameRate, 0.10000000149011612);
%! assert ([s.width s.height s.xOffset s.yOffset s.xBinSub s.yBinSub s.xFlags s.yFlags s.pixelFormat], ...
%!         [400 300 10 20 2 4 65535 1 1]);
%! qorinsim ("set", 1, "format", struct ("width", 640, "height", 480, "frameRate", 30));
%! qorinsim ("clearcalls");
%! qorincam (63, 1, s);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinSetFormat"});
%! assert (qorinsim ("get", 1, "format"), s);
%! assert (qorinsim ("get", 1, "streaming"), true);

%!test
%! ## Code 63 conversions: truncation toward zero, 16-bit fields keep their low bits, any
%! ## real numeric class is read by value.
%! qorin_reset ();
%! qorincam (-1, 1);
%! s = struct ("width", 320.9, "height", int16 (240), "xOffset", single (2.5), "yOffset", uint8 (3), ...
%!             "xBinSub", 65536 + 2, "yBinSub", 1, "xFlags", -1, "yFlags", 0, "pixelFormat", 0, ...
%!             "frameRate", single (15));
%! qorincam (63, 1, s);
%! calls = qorinsim ("calls");
%! f = calls(end).args{1};
%! assert ([f.width f.height f.xOffset f.yOffset f.xBinSub f.yBinSub f.xFlags], [320 240 2 3 2 1 65535]);
%! assert (calls(end).args{2}, 15);

%!test
%! ## Code 63 refuses anything but a 1-by-1 structure with ten real numeric scalar fields,
%! ## naming what is wrong, and makes no SDK call for it.
%! qorin_reset ();
%! qorincam (-1, 1);
%! good = qorincam (62, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (63, 1, 5), "Frame format must be a 1-by-1 structure.");
%! qorin_assert_error (@() qorincam (63, 1, [good good]), "Frame format must be a 1-by-1 structure.");
%! qorin_assert_error (@() qorincam (63, 1, struct ([])), "Frame format must be a 1-by-1 structure.");
%! qorin_assert_error (@() qorincam (63, 1, rmfield (good, "yFlags")), "Frame format field 'yFlags' is missing.");
%! bad = {"width", [1 2]; "height", []; "xOffset", "a"; "xBinSub", {1}; "pixelFormat", true; ...
%!        "frameRate", 1i; "yOffset", struct("a", 1)};
%! for k = 1:rows (bad)
%!   s = good;
%!   s.(bad{k, 1}) = bad{k, 2};
%!   qorin_assert_error (@() qorincam (63, 1, s), ...
%!                       sprintf ("Frame format field '%s' must be a real numeric scalar.", bad{k, 1}));
%! endfor
%! assert (isempty (qorin_call_names ("QorinNumCameras")));

%!test
%! ## SDK failures: each command's own message.
%! cases = {"QorinGetProperty", {2, 1, 10, 10}, "An error occured wile obtaining the maximum resolution.\n";
%!          "QorinGetFormat",   {2, 1, 10, 10}, "An error occured while obtaining the frame format.\n";
%!          "QorinSetFormat",   {2, 1, 10, 10}, "An error occured while setting the frame size.\n";
%!          "QorinGetFormat",   {12, 1}, "Failed to get the frame format.";
%!          "QorinGetFormat",   {8, 1}, "Failed to get the frame format.";
%!          "QorinGetFormat",   {9, 1, 1, 1}, "Failed to get the frame format.";
%!          "QorinSetFormat",   {9, 1, 1, 1}, "Failed to set the new offset. Offset may be invalid.";
%!          "QorinGetFormat",   {11, 1}, "Unable to get current frame format.";
%!          "QorinGetFormat",   {10, 1, true}, "Unable to get current frame format.";
%!          "QorinSetFormat",   {10, 1, true}, "Failed to enable 16-bit mode. Mode may not be supported.";
%!          "QorinGetFormat",   {62, 1}, "Failed to get frame format.";
%!          "QorinSetFormat",   {63, 1, struct("width", 1, "height", 1, "xOffset", 0, "yOffset", 0, ...
%!             "xBinSub", 1, "yBinSub", 1, "xFlags", 0, "yFlags", 0, "pixelFormat", 0, "frameRate", 30)}, ...
%!             "Failed to set new frame format."};
%! for k = 1:rows (cases)
%!   qorin_reset ();
%!   qorincam (-1, 1);
%!   qorinsim ("fail", cases{k, 1}, 9);
%!   qorin_assert_error (@() qorincam (cases{k, 2}{:}), cases{k, 3});
%! endfor
%! ## The second property read (maximum height) failing, and code 10's own format read.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinGetProperty", 9, 1, 1);
%! qorin_assert_error (@() qorincam (2, 1, 10, 10), "An error occured wile obtaining the maximum resolution.\n");
%! qorinsim ("fail", "QorinGetFormat", 9, 1, 1);
%! qorin_assert_error (@() qorincam (10, 1, true), "Failed to get the frame format.");

%!test
%! ## A failure after the preview stop leaves the stream stopped but the camera previewing;
%! ## failures of the stop and restart steps carry the preview's messages.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("fail", "QorinSetFormat", 9);
%! qorin_assert_error (@() qorincam (2, 1, 10, 10), "An error occured while setting the frame size.\n");
%! assert (qorinsim ("get", 1, "streaming"), false);
%! qorinsim ("fail", "QorinStreamVideoControl", 9);
%! qorin_assert_error (@() qorincam (9, 1, 1, 1), "An error occured while stopping the video preview.\n");
%! qorinsim ("fail", "QorinDestroyDisplayWindow", 9);
%! qorin_assert_error (@() qorincam (9, 1, 1, 1), "An error occured while closing the preview windows.\n");
%! qorinsim ("fail", "QorinStreamVideoControl", 9, 1, 1);
%! qorin_assert_error (@() qorincam (9, 1, 1, 1), "An error occured while opening the video preview.\n");
%! qorincam (1, 1);

%!test
%! ## Each command's not-connected message, and the generic checks before it.
%! msgs = {2, {10, 10}, "Could not set frame size. Camera 1 is not connected.";
%!         12, {}, "Could not get frame size. Camera 1 is not connected.";
%!         8, {}, "Could not get offset. Camera 1 is not connected.";
%!         9, {1, 1}, "Could not set the offset. Camera 1 is not connected.";
%!         10, {true}, "Could not set 16-bit. Camera 1 is not connected.";
%!         11, {}, "Could not get 16-bit status. Camera 1 is not connected.";
%!         62, {}, "Could not get current frame format. Camera 1 is not connected.";
%!         63, {struct()}, "Could not set new frame format. Camera 1 is not connected."};
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (-2, 1);
%! for k = 1:rows (msgs)
%!   qorin_assert_error (@() qorincam (msgs{k, 1}, 1, msgs{k, 2}{:}), msgs{k, 3});
%!   qorin_assert_error (@() qorincam (msgs{k, 1}, 2, msgs{k, 2}{:}), "Not enough cameras connected.");
%! endfor

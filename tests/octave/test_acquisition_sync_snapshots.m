## Synchronous snapshots 32: every connected camera in slot order, one slab each, rows reversed, columns not.

%!function setup_cameras (count, rows, cols)
%!  qorin_reset (count);
%!  for n = 1:count
%!    qorinsim ("set", n, "format", struct ("width", cols, "height", rows));
%!  endfor
%!endfunction

%!test
%! ## Cameras connected 3, 1, 2 occupy slots 0, 1, 2: slabs 1, 2, 3 are cameras 3, 1, 2.
%! setup_cameras (3, 4, 6);
%! for n = 1:3
%!   F{n} = uint8 (reshape (randperm (250, 24), 4, 6));
%!   qorinsim ("set", n, "frame", F{n});
%! endfor
%! qorinsim ("set", 1, "colour", false);
%! qorinsim ("property", 1, 66, 1);      # ignored: the orientation is fixed
%! qorincam (-1, 3);  qorincam (-1, 1);  qorincam (-1, 2);
%! qorinsim ("clearcalls");
%! P = qorincam (32);
%! assert (class (P), "uint8");
%! assert (size (P), [4 6 3 3]);
%! assert (P(:, :, :, 1), qorin_orient (qorin_sim_rgb (F{3}, true), true, false));
%! assert (P(:, :, :, 2), qorin_orient (qorin_sim_rgb (F{1}, false), true, false));
%! assert (P(:, :, :, 3), qorin_orient (qorin_sim_rgb (F{2}, true), true, false));
%! calls = qorinsim ("calls");
%! names = qorin_call_names ("QorinNumCameras");
%! assert (names(1:3), {"QorinEnableSynchronousSnapshots", "QorinTakeSynchronousSnapshots", ...
%!         "QorinDisableSynchronousSnapshots"});
%! assert (! any (strcmp (names, "QorinGetFormat")));           # no refresh
%! props = calls(strcmp ({calls.name}, "QorinGetProperty"));
%! assert (cellfun (@(a) a{1}, {props.args}), [80 65 64 80 65 64 80 65 64]);
%! assert ([props.camera], [3 3 3 1 1 1 2 2 2]);
%! assert (qorinsim ("get", 3, "syncSnapshots"), false);

%!test
%! ## Fewer than two connected cameras: refused without an SDK call.
%! setup_cameras (2, 2, 4);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (32), "Must have at least 2 cameras connected to take synchronous snapshots.");
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (32, "anything", 5), ...
%!   "Must have at least 2 cameras connected to take synchronous snapshots.");
%! assert (numel (qorinsim ("calls")), 0);

%!test
%! ## A disconnected camera in slot 0 between connected ones; previews stopped and restarted
%! ## in slot order, without new windows.
%! setup_cameras (3, 2, 4);
%! qorincam (-1, 1);  qorincam (0, 2);  qorincam (0, 3);
%! qorincam (-2, 1);
%! qorinsim ("clearcalls");
%! P = qorincam (32);
%! assert (size (P), [2 4 3 2]);
%! calls = qorinsim ("calls");
%! calls = calls(! strcmp ({calls.name}, "QorinNumCameras"));
%! streams = calls(strcmp ({calls.name}, "QorinStreamVideoControl"));
%! assert ([streams.camera], [2 3 2 3]);
%! assert (cellfun (@(a) a{1}, {streams.args}), [0 0 2 2]);
%! assert ({calls(1:4).name}, {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", ...
%!         "QorinStreamVideoControl", "QorinDestroyDisplayWindow"});
%! assert (! any (strcmp ({calls.name}, "QorinCreateDisplayWindow")));
%! enable = calls(strcmp ({calls.name}, "QorinEnableSynchronousSnapshots")).args;
%! assert (enable{1}, 2);
%! assert (qorinsim ("get", 2, "streaming") && qorinsim ("get", 3, "streaming"));

%!test
%! ## Equal columns, different rows and depths: each slab holds its own camera's image in the
%! ## array's rows, the rows it lacks zero; 8-bit samples widened unchanged into uint16.
%! qorin_reset (2);
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2), "colour", false);
%! qorinsim ("set", 2, "format", struct ("width", 4, "height", 3), "colour", false);
%! A = uint8 ([1 2 3 4; 250 251 252 253]);
%! B = uint16 (reshape (4660:4660 + 11, 3, 4));
%! qorinsim ("set", 1, "frame", A);
%! qorinsim ("set", 2, "frame", B);
%! qorincam (-1, 1);  qorincam (-1, 2);
%! qorincam (18, 2, true);
%! P = qorincam (32);
%! assert (class (P), "uint16");
%! assert (size (P), [3 4 3 2]);
%! EA = [uint16(flipud (A)); zeros(1, 4, "uint16")];
%! assert (P(:, :, :, 1), cat (3, EA, EA, EA));
%! EB = flipud (bitand (bitor (bitshift (B, 8), bitshift (B, -8)), uint16 (65520)));
%! assert (P(:, :, :, 2), cat (3, EB, EB, EB));
%! ## Different column counts are refused before the synchronous mode is enabled.
%! qorincam (-2, 2);
%! qorinsim ("set", 2, "format", struct ("width", 5, "height", 2));
%! qorincam (-1, 2);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (32), "Camera sizes must all be the same to take synchronous snapshots.");
%! assert (! any (strcmp (qorin_call_names (), "QorinEnableSynchronousSnapshots")));

%!test
%! ## A snapshot setting changed between calls is used by the next capture as it stands.
%! setup_cameras (2, 2, 4);
%! qorincam (-1, 1);  qorincam (-1, 2);
%! qorincam (15, 2, 33);
%! qorinsim ("clearcalls");
%! qorincam (32);
%! calls = qorinsim ("calls");
%! s = calls(strcmp ({calls.name}, "QorinEnableSynchronousSnapshots")).args{3};
%! assert ([s.exposure], [60 33]);

%!test
%! ## Failures in step order; the synchronous mode never outlives the command.
%! cases = {
%!   "QorinStreamVideoControl",  0, "An error occured while stopping the video preview.\n"
%!   "QorinDestroyDisplayWindow", 1, "An error occured while closing the preview windows.\n"
%!   "QorinEnableSynchronousSnapshots", 0, "Failed to enable synchronous snapshots."
%!   "QorinTakeSynchronousSnapshots", 0, "Error taking synchronous snapshots."
%!   "QorinDisableSynchronousSnapshots", 0, "Error disabling synchronous snapshots."
%!   "QorinGetProperty", 3, "An error occured while obtaining the color format.\n"
%!   "QorinGetProperty", 1, "Error acquiring the correction matrix."
%!   "QorinGetProperty", 5, "Error acquiring the demosaic method."
%!   "QorinConvertFrameToRgb24", 1, "Failed to convert frame to RGB24."
%!   "QorinStreamVideoControl",  2, "An error occured while opening the video preview.\n"
%! };
%! for k = 1:rows (cases)
%!   setup_cameras (2, 2, 4);
%!   qorincam (0, 1);  qorincam (0, 2);
%!   [name, skip, msg] = cases{k, :};
%!   qorinsim ("fail", name, 9, 1, skip);
%!   qorin_assert_error (@() qorincam (32), msg);
%!   assert (qorinsim ("get", 1, "syncSnapshots") || qorinsim ("get", 2, "syncSnapshots"), false, name);
%! endfor
%! ## A failed restart (camera 1's) leaves the later cameras stopped too.
%! assert (qorinsim ("get", 1, "streaming"), false);
%! assert (qorinsim ("get", 2, "streaming"), false);
%! ## The first failing stop leaves later cameras previewing.
%! setup_cameras (2, 2, 4);
%! qorincam (0, 1);  qorincam (0, 2);
%! qorinsim ("fail", "QorinStreamVideoControl", 9);
%! qorin_assert_error (@() qorincam (32), "An error occured while stopping the video preview.\n");
%! assert (qorinsim ("get", 2, "streaming"), true);
%! ## Buffers too large to allocate: the allocation message, and the mode disabled again.
%! setup_cameras (2, 4294967295, 4294967295);
%! qorincam (-1, 1);  qorincam (-1, 2);
%! qorincam (18, 1, true);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (32), "Not enough memory to create raw buffer.");
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinEnableSynchronousSnapshots", ...
%!         "QorinDisableSynchronousSnapshots"});

## The +qorin package: the camera object's life cycle, properties, captures and errors (qorin.cmd: test_gateway_help).

%!test
%! ## The object connects on construction and disconnects when the last reference goes.
%! qorin_reset (2);
%! c = qorin.Camera (2);
%! assert (c.number, 2);
%! assert (qorincam (6, 2));
%! assert (qorinsim ("get", 2, "open"));
%! d = c;
%! clear c
%! assert (qorincam (6, 2));
%! clear d
%! assert (! qorincam (6, 2));
%! assert (! qorinsim ("get", 2, "open"));
%! ## An explicit disconnect is not repeated by the delete.
%! c = qorin.Camera (1);
%! c.disconnect ();
%! qorincam (-1, 1);
%! clear c
%! assert (qorincam (6, 1));

%!test
%! ## An object whose connection ended (an unload, its own disconnect) leaves a newer connection
%! ## of its camera alone: its methods refuse, its display says so, its delete does nothing.
%! qorin_reset (1);
%! stale = "This qorin.Camera's connection to camera 1 has ended and the camera was connected again since; the object leaves that connection alone.";
%! old = qorin.Camera (1);
%! clear qorincam
%! c = qorin.Camera (1);
%! c.startRecording ("buffer", 2);
%! assert (qorin_error_id (@() old.getFrames ()), "qorincam:notConnected");
%! qorin_assert_error (@() old.stopRecording (), stale);
%! assert (! isempty (strfind (evalc ("disp (old)"), "newer connection")));
%! clear old
%! assert (c.isRecording () && qorincam (6, 1));
%! c.stopRecording ();
%! c.disconnect ();
%! qorincam (-1, 1);
%! qorin_assert_error (@() c.snapshot (), stale);
%! clear c
%! assert (qorincam (6, 1));

%!test
%! ## Without a number the constructor makes a placeholder that calls nothing, as MATLAB's array
%! ## growth needs; the flag of ownership is not saved with an object (a loaded copy owns nothing).
%! qorin_reset (1);
%! qorinsim ("clearcalls");
%! p = qorin.Camera ();
%! assert (p.number, 0);
%! assert (! isempty (strfind (evalc ("disp (p)"), "placeholder")));
%! clear p
%! assert (isempty (qorinsim ("calls")));
%! c = qorin.Camera (1);
%! assert (qorincam (6, 1));
%! props = meta.class.fromName ("qorin.Camera").PropertyList;
%! owned = props{cellfun (@(q) strcmp (q.Name, "owned"), props)};
%! assert (owned.Transient, true);

%!test
%! ## Text inputs accept a string scalar as a char vector: a stand-in of MATLAB's string class
%! ## (Octave 7 has none) that converts with char ().
%! qorin_reset (1);
%! dir = tempname ();
%! mkdir (dir);
%! unwind_protect
%!   fid = fopen (fullfile (dir, "string.m"), "w");
%!   fputs (fid, strjoin ({"classdef string", "properties", "text", "end", "methods", ...
%!                         "function s = string (t)", "s.text = t;", "end", ...
%!                         "function t = char (s)", "t = s.text;", "end", "end", "end"}, "\n"));
%!   fclose (fid);
%!   addpath (dir);
%!   c = qorin.Camera (1);
%!   c.frameSize = [8 6];
%!   assert (c.range (string ("gain")), [1; 16]);
%!   c.preview ();
%!   assert (size (c.grab (string ("raw"))), [6 8]);
%!   file = fullfile (dir, "frame.pnm");
%!   c.save (string (file));
%!   assert (exist (file, "file"), 2);
%! unwind_protect_cleanup
%!   rmpath (dir);
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (dir, "s");
%! end_unwind_protect

%!test
%! ## A second object for a connected camera raises the module's error and leaves the first alone.
%! qorin_reset (1);
%! c = qorin.Camera (1);
%! try
%!   qorin.Camera (1);
%!   error ("the second connect should have failed");
%! catch err
%!   assert (err.identifier, "qorincam:state");
%!   assert (err.message, "qorincam: Camera 1 is already connected.");
%! end_try_catch
%! assert (qorincam (6, 1));
%! assert (qorin_error_id (@() qorin.Camera (3)), "qorincam:notConnected");
%! assert (qorin_error_id (@() qorin.Camera (0)), "qorincam:notConnected");
%! assert (qorincam (6, 1));

%!test
%! ## Live properties read and write the camera.
%! qorin_reset (1);
%! c = qorin.Camera (1);
%! c.exposure = 25;     assert (c.exposure, 25);    assert (qorinsim ("get", 1, "property", 20)(1), 25);
%! c.gain = 4;          assert (c.gain, 4);         assert (qorinsim ("get", 1, "property", 40)(1), 4);
%! c.gamma = 2;         assert (c.gamma, 2);
%! c.contrast = 40;     assert (c.contrast, 40);
%! c.brightness = -3;   assert (c.brightness, -3);
%! c.hue = 90;          assert (c.hue, 90);
%! c.saturation = 100;  assert (c.saturation, 100);
%! c.frameSize = [320 240];  assert (c.frameSize, [320; 240]);
%! c.offset = [16 8];   assert (c.offset, [16; 8]);
%! c.frameRate = 15;    assert (c.frameRate, 15);
%! c.video16Bit = true; assert (c.video16Bit, true);
%! f = c.frameFormat;   assert ([f.width f.height f.pixelFormat], [320 240 1]);
%! c.autoRoi = [1 2 3 4];  assert (c.autoRoi, [1; 2; 3; 4]);
%! assert (c.range ("exposure"), [0; 10000]);
%! assert (c.range (40), [1; 16]);
%! assert (c.property (20), [25 0]);
%! c.setProperty (2, 45);   assert (c.hue, 45);
%! assert (c.frameRates (), [3.75 7.5 15 30 60]);
%! assert (c.versionInfo ().SN, "100001");

%!test
%! ## Snapshot settings reach the SDK with the next snapshot.
%! qorin_reset (1);
%! c = qorin.Camera (1);
%! c.setSnapshotExposure (12.5);
%! c.setSnapshotGain (3);
%! c.snapshotColourGains = [2 3 4 5];
%! assert (c.snapshotColourGains, [2; 3; 4; 5]);
%! c.strobe = true;      assert (c.strobe, true);
%! c.strobeDelay = 7;    assert (c.strobeDelay, 7);
%! c.hwTrigger = true;   assert (c.hwTrigger, true);
%! c.snapshot16Bit = true;  assert (c.snapshot16Bit, true);
%! qorinsim ("clearcalls");
%! img = c.snapshot ();
%! assert (class (img), "uint16");
%! calls = qorinsim ("calls");
%! s = calls(strcmp ({calls.name}, "QorinTakeSnapshot")).args{1};
%! assert ([s.exposure s.gain s.redGain s.green1Gain s.green2Gain s.blueGain], [12.5 3 2 3 4 5]);
%! assert ([s.strobe s.strobeDelay s.trigger], [1 7 1]);

%!test
%! ## Captures: grabs of each kind during a preview, fast frames, saving.
%! qorin_reset (1);
%! c = qorin.Camera (1);
%! c.frameSize = [64 48];
%! c.preview ();
%! assert (qorinsim ("get", 1, "streaming"));
%! assert (size (c.grab ()), [48 64 3]);
%! assert (size (c.grab ("mono")), [48 64]);
%! assert (size (c.grab ("RAW")), [48 64]);
%! assert (size (c.fastFrames (3)), [48 64 3 3]);
%! file = [tempname() ".pnm"];
%! unwind_protect
%!   c.save (file);
%!   assert (exist (file, "file"), 2);
%! unwind_protect_cleanup
%!   unlink (file);
%! end_unwind_protect
%! c.stopPreview ();
%! assert (! qorinsim ("get", 1, "streaming"));

%!test
%! ## Errors are the module's own, identifiers included.
%! qorin_reset (1);
%! c = qorin.Camera (1);
%! try
%!   c.exposure = -1;
%!   error ("a negative exposure should be refused");
%! catch err
%!   assert (err.identifier, "qorincam:value");
%!   assert (err.message, "qorincam: Exposure must be a non-negative number.");
%! end_try_catch
%! assert (qorin_error_id (@() c.grab ()), "qorincam:state");
%! assert (qorin_error_id (@() c.grab ("bogus")), "qorincam:usage");
%! assert (qorin_error_id (@() c.fastFrames (0)), "qorincam:value");
%! qorinsim ("fail", "QorinGetProperty", 9);
%! assert (qorin_error_id (@() c.gain), "qorincam:sdk");
%! c.disconnect ();
%! assert (qorin_error_id (@() c.exposure), "qorincam:notConnected");
%! disp_text = evalc ("disp (c)");
%! assert (! isempty (strfind (disp_text, "not connected")));

%!test
%! ## Recording through the object: the arguments reach their commands in order, no frame
%! ## gives an empty structure array with its fields, and a disconnect the module refuses
%! ## during a recording leaves the object owning the camera, so that deleting it stops the
%! ## recording and disconnects.
%! qorin_reset (1);
%! c = qorin.Camera (1);
%! c.frameSize = [64 48];
%! c.startRecording ("frames", 3, "buffer", 3);
%! assert (c.waitFrames (3, 10));
%! [frames, meta] = c.getFrames (2, "mono");
%! assert (size (frames), [48 64 2]);
%! assert ([meta.sequence], [1 2]);
%! [img, meta] = c.peekFrame ("rgb");
%! assert ([size(img) meta.sequence], [48 64 3 3]);
%! c.getFrames ();
%! [~, meta] = c.getFrames ();
%! assert (size (meta), [0 1]);
%! assert (isfield (meta, {"sequence", "timestamp", "missed"}));
%! ## waitFrames waits in slices of its own: an ended recording ends it, and what the module
%! ## refuses it refuses with the module's message.
%! assert (! c.waitFrames (1, int32 (3600)));
%! qorin_assert_error (@() c.waitFrames (), "qorincam('waitFrames', cam, count, timeout) needs the frame count.");
%! qorin_assert_error (@() c.waitFrames (1, NaN), "The timeout must be a number of seconds, 0 or more.");
%! qorin_assert_error (@() c.waitFrames (1, 1, 1), "Too many inputs. The call is tf = qorincam('waitFrames', cam, count, timeout).");
%! qorin_assert_error (@() c.waitFrames (4, 1), "Camera 1's recording buffer holds at most 3 frames.");
%! c.startRecording ("buffer", 2);
%! assert (c.isRecording ());
%! assert (! isempty (strfind (evalc ("disp (c)"), "connected, recording")));
%! assert (qorin_error_id (@() c.disconnect ()), "qorincam:state");
%! assert (c.waitFrames (2, 10));
%! assert (regexp (evalc ("clear c"), ["^qorin.Camera: deleting the object stopped camera 1's recording; " ...
%!                                    "2 frames not taken were discarded.\n$"]));
%! assert (! qorincam (6, 1));

%!test
%! ## Synchronous snapshots and the list of cameras.
%! qorin_reset (3);
%! a = qorin.Camera (1);
%! b = qorin.Camera (3);
%! frames = qorin.syncSnapshots ();
%! assert (size (frames), [480 640 3 2]);
%! list = qorin.cameras ();
%! assert (size (list), [3 1]);
%! assert ([list.camera], 1:3);
%! assert ([list.connected], [true false true]);
%! assert ({list(1).version.SN, list(2).version.SN, list(3).version.SN}, {"100001", "100002", "100003"});
%! ## Camera 2 was opened for the query and closed again.
%! assert (! qorincam (6, 2));
%! assert (! qorinsim ("get", 2, "open"));

%!test
%! ## The read-only self-test of a camera writes no setting and leaves it as it found it:
%! ## closed, or connected and previewing; a failing check makes it report false.
%! qorin_reset (2);
%! format = qorinsim ("get", 2, "format");
%! qorinsim ("clearcalls");
%! ok = false;
%! text = evalc ("ok = qorin.selftest (2);");
%! assert (ok, true);
%! assert (! isempty (strfind (text, "6 of 6 groups passed")));
%! calls = qorinsim ("calls");
%! writes = regexp ({calls.name}, '^Qorin(SetProperty|Setup|Gpio|Gpo|PermanentBufferWrite|OneShot|Digital|Adjust|AutoRoiSet|InitAutoLens|AutoFocus|CameraReset|SelectExtern|SetTimeout)', "once");
%! assert (all (cellfun (@isempty, writes)));
%! assert (qorinsim ("get", 2, "format"), format);
%! assert (! qorincam (6, 2));
%! qorincam (-1, 2);
%! qorincam (0, 2);
%! text = evalc ("ok = qorin.selftest (2);");
%! assert (ok, true);
%! assert (qorincam (6, 2) && qorinsim ("get", 2, "streaming"));
%! qorinsim ("fail", "QorinTakeSnapshot", 5);
%! text = evalc ("ok = qorin.selftest (2);");
%! assert (ok, false);
%! assert (! isempty (regexp (text, 'snapshot: +FAILED: qorincam:sdk', "once")));
%! assert (qorincam (6, 2));

## Recording: frames into the ring from a worker, taken as codes 76, 75 and 7 take them, a TIFF file, the state gate.

%!function wait_end (cam)
%!  ## Until the camera's worker has ended; the recordings here all end by themselves.
%!  for k = 1:500
%!    if (! qorincam ("isRecording", cam))
%!      return;
%!    endif
%!    pause (0.01);
%!  endfor
%!  error ("the recording did not end");
%!endfunction

%!function f = ifelse_frame (G, depth)
%!  if (depth)
%!    f = uint16 (G * 257);
%!  else
%!    f = uint8 (G);
%!  endif
%!endfunction

%!test
%! ## Each kind is what its single-frame code gives for the same frame, colour and monochrome,
%! ## 8 and 16 bits, flipped columns; the recording leaves the preview running as it was.
%! qorin_reset ();
%! G = reshape (mod (0:5 * 7 - 1, 251), 5, 7);
%! for colour = [1 0]
%!   for depth = [0 1]
%!     frame = ifelse_frame (G, depth);
%!     qorinsim ("set", 1, "format", struct ("width", 7, "height", 5, "pixelFormat", depth), "frame", frame);
%!     qorinsim ("property", 1, 80, colour);
%!     qorinsim ("property", 1, 66, 1);
%!     qorincam (0, 1);
%!     single = {qorincam(76, 1), qorincam(75, 1), qorincam(7, 1)};
%!     qorincam ("startRecording", 1, "frames", 3);
%!     wait_end (1);
%!     kinds = {"raw", "mono", "rgb"};
%!     for k = 1:3
%!       [f, meta] = qorincam ("getFrames", 1, 1, kinds{k});
%!       assert (f, single{k});
%!       assert (meta.sequence, k);
%!     endfor
%!     qorincam ("stopRecording", 1);
%!     assert (qorinsim ("get", 1, "streaming"));
%!     qorincam (1, 1);
%!   endfor
%! endfor
%! ## A property set beside a running recording counts for the frames handed out after it.
%! qorincam ("startRecording", 1, "buffer", 2);
%! assert (qorincam ("waitFrames", 1, 1, 5));
%! before = qorincam ("peekFrame", 1);
%! qorincam (40, 1, 66, 0, 0);
%! assert (qorincam ("peekFrame", 1), fliplr (before));

%!test
%! ## Stamps, overwrite and stop when full, buffer sizes, peek and take.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 7, "height", 5));
%! qorincam (-1, 1);
%! qorincam ("startRecording", 1, "frames", 6, "buffer", 4);
%! wait_end (1);
%! s = qorincam ("recordingStatus", 1);
%! assert ([s.acquired s.available s.overwritten s.taken s.capacity s.frameBytes], [6 4 2 0 4 35]);
%! assert ({s.source s.stopReason s.error}, {"video", "frames", ""});
%! assert (qorinsim ("get", 1, "streaming"), false);
%! [img, meta] = qorincam ("peekFrame", 1);
%! assert ([size(img) meta.sequence], [5 7 6]);
%! [f, meta] = qorincam ("getFrames", 1, 2);
%! assert ([size(f) meta.sequence], [5 7 2 3 4]);
%! assert (all (diff ([meta.timestamp]) >= 0) && all ([meta.missed] == 0));
%! [f, meta] = qorincam ("getFrames", 1);
%! assert ([meta.sequence], [5 6]);
%! [f, meta] = qorincam ("getFrames", 1, []);
%! assert ([size(f, 3) size(meta)], [0 0 1]);
%! s = qorincam ("recordingStatus", 1);
%! assert ([s.taken s.available], [4 0]);
%! qorincam ("startRecording", 1, "buffer", 3, "whenFull", "stop");
%! wait_end (1);
%! s = qorincam ("recordingStatus", 1);
%! assert ({s.acquired s.stopReason}, {3 "full"});
%! qorincam ("startRecording", 1, "buffer", "1kB", "frames", 1);
%! assert (qorincam ("recordingStatus", 1).capacity, 28);
%! wait_end (1);
%! ## Fast frames pause a preview and give it back when the recording ends.
%! qorincam (0, 1);
%! qorincam ("startRecording", 1, "source", "snapshot", "frames", 2);
%! wait_end (1);
%! s = qorincam ("recordingStatus", 1);
%! assert ({s.source s.acquired s.stopReason}, {"snapshot" 2 "frames"});
%! assert (qorinsim ("get", 1, "streaming") && ! qorinsim ("get", 1, "fastFrames"));

%!test
%! ## In real time the frames come a period apart; a stall of the bus shows as missed frames
%! ## before the frame after it, and the status counts them.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 16, "height", 8, "frameRate", 100), "timing", "realtime", ...
%!           "hiccup", [10 100]);
%! qorincam (-1, 1);
%! qorincam ("startRecording", 1, "frames", 20);
%! wait_end (1);
%! [f, meta] = qorincam ("getFrames", 1);
%! missed = [meta.missed];
%! assert (missed(11) >= 5, "missed %s", mat2str (missed));
%! assert (sum (missed), qorincam ("recordingStatus", 1).dropped);
%! gap = median (diff ([meta.timestamp]));
%! assert (gap > 0.005 && gap < 0.05, "median gap %g s", gap);

%!test
%! ## While camera 1 records, a setting waits its turn and works; what would change the
%! ## frames or take them is refused; camera 2 goes on as before; after the stop all works.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! qorincam ("startRecording", 1);
%! qorincam (30, 1, 100);
%! assert (qorincam (31, 1), 100);
%! refused = {{13, 1}, {2, 1, 320, 240}, {1, 1}, {-2, 1}, {76, 1}, {87, 1, 2}, {100, 1}};
%! for k = 1:numel (refused)
%!   try
%!     qorincam (refused{k}{:});
%!     error ("code %d was not refused", refused{k}{1});
%!   catch err
%!     assert ({err.identifier, err.message}, ...
%!             {"qorincam:state", "qorincam: Camera 1 is recording. Stop the recording first."});
%!   end_try_catch
%! endfor
%! qorin_assert_error (@() qorincam ("startRecording", 1), "Camera 1 is already recording.");
%! assert (size (qorincam (13, 2)), [480 640 3]);
%! assert (qorincam ("isRecording", 1) && ! qorincam ("isRecording", 2));
%! qorincam ("stopRecording", 1);
%! assert (qorincam ("recordingStatus", 1).stopReason, "stopped");
%! assert (size (qorincam (13, 1)), [480 640 3]);

%!test
%! ## Bad input is refused before anything starts: no capture call, no file, no recording.
%! qorin_reset ();
%! dir = tempname ();
%! mkdir (dir);
%! file = fullfile (dir, "r.tif");
%! existing = fullfile (dir, "old.tif");
%! fclose (fopen (existing, "w"));
%! qorin_assert_error (@() qorincam ("startRecording", 1), "Camera ID not found.");
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! bad = {{"bogus", 1}, "Unknown recording option 'bogus'. The options are source, frames, seconds, buffer, whenFull, file and overwrite.";
%!        {"frames"}, "Recording options come in name, value pairs.";
%!        {"frames", 0}, "Option 'frames' must be a whole number of at least 1.";
%!        {"frames", 2.5}, "Option 'frames' must be a whole number of at least 1.";
%!        {"seconds", -1}, "Option 'seconds' must be a positive number.";
%!        {"source", "film"}, "Option 'source' must be 'video' or 'snapshot'.";
%!        {"whenFull", 1}, "Option 'whenFull' must be 'overwrite' or 'stop'.";
%!        {"buffer", "12 parsecs"}, "Option 'buffer' must be a number of frames (at least 1) or a size such as '512MB'.";
%!        {"overwrite", "yes"}, "Option 'overwrite' must be true or false.";
%!        {"file", existing}, ["The file " existing " exists. Give 'overwrite', true to replace it."];
%!        {"file", fullfile(dir, "no", "r.tif")}, ["The folder of " fullfile(dir, "no", "r.tif") " does not exist."]};
%! for k = 1:rows (bad)
%!   qorin_assert_error (@() qorincam ("startRecording", 1, "file", file, bad{k, 1}{:}), bad{k, 2});
%! endfor
%! assert (unique ({qorinsim("calls").name}), {"QorinNumCameras"});
%! qorin_assert_error (@() qorincam ("startRecording", 1, "buffer", "100B", "file", file), ...
%!                     "The buffer is smaller than one frame (307200 bytes).");
%! assert (! exist (file, "file") && ! qorinsim ("get", 1, "streaming"));
%! qorin_assert_error (@() qorincam ("getFrames", 1), "Camera 1 has no recording.");
%! qorincam ("startRecording", 1, "buffer", 3, "frames", 1);
%! qorin_assert_error (@() qorincam ("getFrames", 1, 4), "Camera 1's recording buffer holds at most 3 frames.");
%! qorin_assert_error (@() qorincam ("getFrames", 1, 1, "jpeg"), "The frame kind must be 'raw', 'mono' or 'rgb'.");
%! confirm_recursive_rmdir (false, "local");
%! rmdir (dir, "s");

%!test
%! ## A capture failing in the worker ends the recording; the next look raises it, once, and the
%! ## frames before it stay.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 8, "height", 4));
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinTakeVideo", 9, 1, 4);
%! qorincam ("startRecording", 1);
%! wait_end (1);
%! try
%!   qorincam ("getFrames", 1);
%!   error ("no error raised");
%! catch err
%!   assert ({err.identifier, err.message}, {"qorincam:sdk", "qorincam: An error occured while trying to take a video frame."});
%! end_try_catch
%! [f, meta] = qorincam ("getFrames", 1);
%! assert ([meta.sequence], 1:4);
%! s = qorincam ("recordingStatus", 1);
%! assert ({s.stopReason, s.error, s.running}, {"error", "An error occured while trying to take a video frame.", false});
%! assert (qorinsim ("get", 1, "streaming"), false);

%!test
%! ## The TIFF file: a page per frame as getFrames returns it raw, its stamp in the description,
%! ## read back by libtiff's and Octave's readers; a disk that fails stops the writer only.
%! qorin_reset ();
%! for depth = [0 1]
%!   qorinsim ("set", 1, "format", struct ("width", 16, "height", 6, "pixelFormat", depth));
%!   qorincam (-1, 1);
%!   file = [tempname() ".tif"];
%!   qorincam ("startRecording", 1, "frames", 5, "file", file);
%!   wait_end (1);
%!   qorincam ("stopRecording", 1);
%!   [f, meta] = qorincam ("getFrames", 1);
%!   [status, text] = system (["tiffinfo '" file "'"]);
%!   assert (status, 0);
%!   descriptions = regexp (text, '(sequence=[^\n]*)', "tokens");
%!   assert ([descriptions{:}], arrayfun (@(m) sprintf ("sequence=%d timestamp=%.6f missed=0", m.sequence, ...
%!                                                      m.timestamp), meta', "UniformOutput", false));
%!   assert (numel (imfinfo (file)), 5);
%!   for k = 1:5
%!     assert (imread (file, k), f(:, :, k));
%!   endfor
%!   assert (qorincam ("recordingStatus", 1).written, 5);
%!   delete (file);
%!   qorincam (-2, 1);
%! endfor
%! ## A file size limit (Octave ignores the signal): some pages fit, then the writer fails.
%! file = [tempname() ".tif"];
%! code = sprintf (["addpath ('%s'); qorincam (-1, 1); qorincam ('startRecording', 1, 'frames', 4, 'file', '%s'); " ...
%!                  "qorincam ('waitFrames', 1, 4, 10); qorincam ('stopRecording', 1); s = qorincam ('recordingStatus', 1); " ...
%!                  "printf ('%%d %%d %%s', s.acquired, s.written, s.writeError);"], fileparts (which ("qorincam")), file);
%! [status, out] = system (sprintf ("ulimit -f 700; '%s' --no-gui --norc --quiet --eval \"%s\"", ...
%!                                  fullfile (OCTAVE_HOME, "bin", "octave-cli"), code));
%! assert (status, 0, out);
%! written = sscanf (out, "4 %d");
%! assert (written >= 1 && written < 4 && strcmp (out, sprintf ("4 %d writing %s failed", written, file)), out);
%! assert (numel (imfinfo (file)), written);
%! delete (file);

%!test
%! ## Unloading stops every recording and closes its file valid; so does leaving the host.
%! qorin_reset (2);
%! file = [tempname() ".tif"];
%! qorincam (-1, 1);
%! qorincam ("startRecording", 1, "file", file);
%! qorincam (0, 2);
%! qorincam ("startRecording", 2);
%! assert (qorincam ("waitFrames", 1, 3, 10));
%! clear qorincam
%! assert (! qorinsim ("get", 1, "open") && ! qorinsim ("get", 2, "open"));
%! n = numel (imfinfo (file));
%! assert (n >= 3);
%! assert (size (imread (file, n)), [480 640]);
%! delete (file);
%! code = sprintf (["addpath ('%s'); qorincam (-1, 1); qorincam ('startRecording', 1, 'file', '%s'); " ...
%!                  "qorincam ('waitFrames', 1, 2, 10);"], fileparts (which ("qorincam")), file);
%! [status, out] = system (sprintf ("'%s' --no-gui --norc --quiet --eval \"%s\"", ...
%!                                  fullfile (OCTAVE_HOME, "bin", "octave-cli"), code));
%! assert (status, 0, out);
%! assert (numel (imfinfo (file)) >= 2);
%! delete (file);

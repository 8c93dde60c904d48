## Recording: frames into the ring from a worker, taken as codes 76, 75 and 7 take them, a TIFF file, the state gate.

%!function wait_released (file)
%!  ## Until the camera streams no more and no file is open, without a call of the module: a
%!  ## recording that ends by itself gives back both at once.
%!  for k = 1:500
%!    [~, open_files] = system (sprintf ("ls -l /proc/%d/fd", getpid ()));
%!    if (! qorinsim ("get", 1, "streaming") && isempty (strfind (open_files, file)))
%!      return;
%!    endif
%!    pause (0.01);
%!  endfor
%!  error ("the recording kept the camera or its file");
%!endfunction

%!function n = chart_counter (frame)
%!  ## The low 16 bits of the simulator's frame counter, drawn bright for 1 from the left in the
%!  ## bottom row of an upright monochrome chart.
%!  row = double (frame(end, :));
%!  n = (row(floor (((0:15) + 0.5) * columns (frame) / 16) + 1) > 128) * 2 .^ (15:-1:0)';
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
%!     qorin_wait_end (1);
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
%! qorin_wait_end (1);
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
%! ## The status names the file by its absolute name.
%! here = pwd ();
%! dir = [tempname() " Été Ł 日本"];
%! mkdir (dir);
%! cd (dir);
%! unwind_protect
%!   qorincam ("startRecording", 1, "buffer", 3, "whenFull", "stop", "file", "r.tif");
%!   wait_released ("r.tif");
%! unwind_protect_cleanup
%!   cd (here);
%! end_unwind_protect
%! file = fullfile (dir, "r.tif");
%! s = qorincam ("recordingStatus", 1);
%! assert ({s.acquired s.written s.toWrite s.stopReason s.file}, {3 3 0 "full" file});
%! assert (numel (imfinfo (file)), 3);
%! confirm_recursive_rmdir (false, "local");
%! rmdir (dir, "s");
%! ## Seconds and timeouts of any real numeric class; a logical is none.
%! qorincam ("startRecording", 1, "seconds", single (0.05), "buffer", 2);
%! assert (qorincam ("waitFrames", 1, 2, int32 (5)));
%! qorin_assert_error (@() qorincam ("waitFrames", 1, 1, true), "The timeout must be a number of seconds, 0 or more.");
%! qorin_wait_end (1);
%! assert (qorincam ("recordingStatus", 1).stopReason, "seconds");
%! qorincam ("startRecording", 1, "buffer", "1kB", "frames", 1);
%! s = qorincam ("recordingStatus", 1);
%! assert (s.capacity, 28);
%! assert (regexp (s.startTime, '^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d$'));
%! assert (abs (s.startPosixTime - time ()) < 60);
%! qorin_wait_end (1);
%! qorincam ("flushFrames", 1);
%! qorin_assert_error (@() qorincam ("getFrames", 1), "Camera 1 has no recording.");
%! ## Fast frames pause a preview and give it back when the recording ends.
%! qorincam (0, 1);
%! qorincam ("startRecording", 1, "source", "snapshot", "frames", 2);
%! qorin_wait_end (1);
%! s = qorincam ("recordingStatus", 1);
%! assert ({s.source s.acquired s.stopReason}, {"snapshot" 2 "frames"});
%! assert (qorinsim ("get", 1, "streaming") && ! qorinsim ("get", 1, "fastFrames"));

%!test
%! ## Every frame handed out is the one the camera made, its chart's counter running with its
%! ## sequence, while a one-frame buffer turns over under peekFrame, getFrames and the file.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 1024, "height", 256));
%! qorinsim ("property", 1, 80, 0);
%! qorincam (-1, 1);
%! file = [tempname() ".tif"];
%! qorincam ("startRecording", 1, "buffer", 1, "file", file);
%! offset = [];
%! t0 = time ();
%! while (numel (offset) < 40 && time () - t0 < 20)
%!   [img, meta] = qorincam ("peekFrame", 1);
%!   [f, fm] = qorincam ("getFrames", 1, [], "mono");
%!   assert (size (f, 3) <= 1);
%!   frames = cat (3, img, f);
%!   metas = [meta; fm];
%!   for j = 1:numel (metas)
%!     offset = [offset mod(chart_counter (frames(:, :, j)) - metas(j).sequence, 65536)];
%!   endfor
%! endwhile
%! qorincam ("stopRecording", 1);
%! [~, text] = system (["tiffinfo '" file "'"]);
%! sequences = regexp (text, 'sequence=(\d+)', "tokens");
%! sequences = str2double ([sequences{:}]);
%! for k = 1:3
%!   offset(end + 1) = mod (chart_counter (imread (file, k)) - sequences(k), 65536);
%! endfor
%! assert (numel (offset) > 20 && all (offset == offset(1)));
%! delete (file);

%!test
%! ## In real time the frames come a period apart; a stall of the bus shows as missed frames
%! ## before the frame after it, and the status counts them.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 16, "height", 8, "frameRate", 100), "timing", "realtime", ...
%!           "hiccup", [10 100]);
%! qorincam (-1, 1);
%! qorincam ("startRecording", 1, "frames", 20);
%! qorin_wait_end (1);
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
%! qorincam ("startRecording", 1, "buffer", 4);
%! qorincam (30, 1, 100);
%! assert (qorincam (31, 1), 100);
%! refused = {{13, 1}, {2, 1, 320, 240}, {1, 1}, {-2, 1}, {5, 1}, {76, 1}, {87, 1, 2}, {100, 1}};
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
%! file = [tempname() ".tif"];
%! qorincam ("startRecording", 2, "file", file);
%! qorin_assert_error (@() qorincam ("startRecording", 1, "file", file, "overwrite", true), ...
%!                     ["The file " file " is being written by camera 2's recording."]);
%! qorincam ("stopRecording", 2);
%! delete (file);

%!test
%! ## Bad input is refused before anything starts: no capture call, no file, and the recording
%! ## before keeps its frames.
%! qorin_reset ();
%! dir = tempname ();
%! mkdir (dir);
%! file = fullfile (dir, "r.tif");
%! existing = fullfile (dir, "old.tif");
%! fclose (fopen (existing, "w"));
%! qorin_assert_error (@() qorincam ("startRecording", 1), "Camera ID not found.");
%! qorincam (-1, 1);
%! qorincam ("startRecording", 1, "frames", 2);
%! qorin_wait_end (1);
%! qorinsim ("clearcalls");
%! bad = {{"bogus", 1}, "Unknown recording option 'bogus'. The options are source, frames, seconds, buffer, whenFull, file and overwrite.";
%!        {"frames"}, "Recording options come in name, value pairs.";
%!        {"frames", 0}, "Option 'frames' must be a whole number of at least 1.";
%!        {"frames", 2.5}, "Option 'frames' must be a whole number of at least 1.";
%!        {"seconds", -1}, "Option 'seconds' must be a positive number.";
%!        {"seconds", true}, "Option 'seconds' must be a positive number.";
%!        {"source", "film"}, "Option 'source' must be 'video' or 'snapshot'.";
%!        {"whenFull", 1}, "Option 'whenFull' must be 'overwrite' or 'stop'.";
%!        {"buffer", "12 parsecs"}, "Option 'buffer' must be a number of frames (at least 1) or a size such as '512MB'.";
%!        {"overwrite", "yes"}, "Option 'overwrite' must be true or false.";
%!        {"overwrite", NaN}, "Option 'overwrite' must be true or false.";
%!        {"overwrite", [true false]}, "Option 'overwrite' must be true or false.";
%!        {"file", [file "\0.tif"]}, "The file name must not contain a null character.";
%!        {"file", existing}, ["The file " existing " exists. Give 'overwrite', true to replace it."];
%!        {"file", fullfile(dir, "no", "r.tif")}, ["The folder of " fullfile(dir, "no", "r.tif") " does not exist."]};
%! for k = 1:rows (bad)
%!   qorin_assert_error (@() qorincam ("startRecording", 1, "file", file, bad{k, 1}{:}), bad{k, 2});
%! endfor
%! assert (unique ({qorinsim("calls").name}), {"QorinNumCameras"});
%! qorin_assert_error (@() qorincam ("startRecording", 1, "buffer", "100B", "file", file), ...
%!                     "The buffer is smaller than one frame (307200 bytes).");
%! assert (! exist (file, "file") && ! qorinsim ("get", 1, "streaming"));
%! [~, meta] = qorincam ("getFrames", 1);
%! assert ([meta.sequence], [1 2]);
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
%! qorincam ("startRecording", 1, "buffer", 8);
%! qorin_wait_end (1);
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
%! ## A file that would get no page is not left behind.
%! file = [tempname() ".tif"];
%! qorinsim ("fail", "QorinTakeVideo", 9, 1, 0);
%! qorincam ("startRecording", 1, "file", file, "buffer", 4);
%! wait_released (file);
%! assert (! exist (file, "file"));
%! ## A format changed where no command of the module changes it ends the recording before the
%! ## camera writes a frame larger than a slot.
%! qorincam ("startRecording", 1, "buffer", 2);
%! qorinsim ("set", 1, "format", struct ("width", 16, "height", 8));
%! qorin_wait_end (1);
%! qorin_assert_error (@() qorincam ("getFrames", 1), "The camera's frame format changed during the recording.");

%!test
%! ## The TIFF file: a page per frame as getFrames returns it raw, its stamp in the description,
%! ## read back by libtiff's and Octave's readers; a disk that fails stops the writer only.
%! qorin_reset ();
%! for depth = [0 1]
%!   qorinsim ("set", 1, "format", struct ("width", 16, "height", 6, "pixelFormat", depth));
%!   qorincam (-1, 1);
%!   file = [tempname() ".tif"];
%!   qorincam ("startRecording", 1, "frames", 5, "file", file);
%!   wait_released (file);
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
%! said = sprintf ("4 %d writing %s failed", written, file);
%! assert (written >= 1 && written < 4 && strncmp (out, said, numel (said)), out);
%! assert (numel (imfinfo (file)), written);
%! delete (file);

%!test
%! ## Unloading stops every recording and closes its file valid, and says what it discarded; so
%! ## does leaving the host.
%! qorin_reset (3);
%! file = [tempname() ".tif"];
%! qorincam (-1, 1);
%! qorincam ("startRecording", 1, "file", file, "buffer", 16);
%! qorincam (0, 2);
%! qorincam ("startRecording", 2, "buffer", 4);
%! qorincam (-1, 3);
%! qorincam ("startRecording", 3, "frames", 2);
%! assert (qorincam ("waitFrames", 1, 3, 10) && qorincam ("waitFrames", 2, 4, 10) && qorincam ("waitFrames", 3, 2, 10));
%! qorincam ("getFrames", 3, 1);
%! said = strsplit (evalc ("clear qorincam"), "\n");
%! assert (regexp (said{1}, "^qorincam: unloading stopped camera 1's recording; \\d+ frames not taken were discarded.$"));
%! assert (said(2:end), {"qorincam: unloading stopped camera 2's recording; 4 frames not taken were discarded.", ...
%!                       "qorincam: unloading ended camera 3's recording; 1 frames not taken were discarded.", ""});
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

%!test
%! ## Ctrl+C (SIGINT, what it sends to octave-cli) during a 60 s wait ends it within 0.2 s, in
%! ## the module's wait and in the camera object's; the recording and the camera stay usable.
%! dir = tempname ();
%! mkdir (dir);
%! unwind_protect
%!   waits = {"qorincam ('waitFrames', 1, 1000, 60)", "cam.waitFrames (1000, 60)"};
%!   for k = 1:numel (waits)
%!     fid = fopen (fullfile (dir, "interrupted.m"), "w");
%!     fprintf (fid, "%s\n", ...
%!              sprintf ("addpath ('%s');", fileparts (which ("qorincam"))), ...
%!              "qorinsim ('set', 1, 'format', struct ('width', 16, 'height', 8, 'frameRate', 5), 'timing', 'realtime');", ...
%!              "cam = qorin.Camera (1);", ...
%!              "cam.startRecording ('buffer', 1000);", ...
%!              "unwind_protect", ...
%!              "  fclose (fopen ('ready', 'w'));", ...
%!              [waits{k} ";"], ...
%!              "unwind_protect_cleanup", ...
%!              "  ended = time ();", ...
%!              "  [~, meta] = cam.getFrames ();", ...
%!              "  running = cam.isRecording ();", ...
%!              "  cam.stopRecording ();", ...
%!              "  img = cam.snapshot ();", ...
%!              "  out = fopen ('result', 'w');", ...
%!              "  fprintf (out, '%.6f %d %d %d', ended, numel (meta) >= 1, running, isequal (size (img), [8 16 3]));", ...
%!              "  fclose (out);", ...
%!              "end_unwind_protect");
%!     fclose (fid);
%!     ## The interrupt comes 0.3 s into the wait, from a second process, as a terminal's would.
%!     [~, out] = system (sprintf (["cd '%s' && rm -f ready sent result && { '%s' --no-gui --norc --quiet " ...
%!                                  "--eval interrupted & child=$!; while [ ! -e ready ] && kill -0 $child; " ...
%!                                  "do sleep 0.01; done; sleep 0.3; date +%%s.%%N > sent; kill -INT $child; " ...
%!                                  "wait $child; } 2>&1"], dir, fullfile (OCTAVE_HOME, "bin", "octave-cli")));
%!     result = fileread (fullfile (dir, "result"));
%!     values = sscanf (result, "%f");
%!     sent = str2double (fileread (fullfile (dir, "sent")));
%!     assert (numel (values), 4, out);
%!     assert (values(1) - sent < 0.2, "%s ended %.3f s after the interrupt", waits{k}, values(1) - sent);
%!     assert (all (values(2:4)), "%s: frames %d, running %d, snapshot %d", waits{k}, values(2:4));
%!   endfor
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (dir, "s");
%! end_unwind_protect

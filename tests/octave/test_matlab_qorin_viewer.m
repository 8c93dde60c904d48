## qorin.Viewer on the simulator, in a real figure (qt toolkit; ctest runs this file under Xvfb).

%!function show (v, updates)
%!  ## What the timer or the hook would do: updates at about the display's rate.
%!  for k = 1:updates
%!    v.update ();
%!    pause (1 / 30);
%!  endfor
%!endfunction

%!function h = part (v, tag)
%!  h = findall (v.figure, "Tag", tag);
%!endfunction

%!function press (v, tag, property, value)
%!  ## A click: the control takes its new value, then its callback runs.
%!  h = part (v, tag);
%!  if (nargin > 2)
%!    set (h, property, value);
%!  endif
%!  callback = get (h, "Callback");
%!  callback (h, []);
%!endfunction

%!function drag (v, from, to)
%!  ## A drag on the picture, in the frame's pixels: press, move, release.
%!  ax = part (v, "picture");
%!  fig = v.figure;
%!  set (ax, "CurrentPoint", [from 0; from 1]);
%!  feval (get (fig, "WindowButtonDownFcn"), fig, []);
%!  set (ax, "CurrentPoint", [to 0; to 1]);
%!  feval (get (fig, "WindowButtonMotionFcn"), fig, []);
%!  feval (get (fig, "WindowButtonUpFcn"), fig, []);
%!endfunction

%!function n = threads ()
%!  n = numel (dir ("/proc/self/task")) - 2;
%!endfunction

%!function frame = fixed_chart (colour, sixteen)
%!  ## One chart frame, raw, set as the camera's every frame: what the viewer shows then
%!  ## does not move.
%!  qorin_reset ();
%!  qorinsim ("set", 1, "colour", colour, "format", struct ("pixelFormat", sixteen));
%!  qorinsim ("property", 1, 80, double (colour));
%!  qorincam (-1, 1);
%!  qorincam ("startRecording", 1, "frames", 1);
%!  qorincam ("waitFrames", 1, 1, 5);
%!  frame = qorincam ("getFrames", 1, 1, "raw");
%!  qorincam ("stopRecording", 1);
%!  qorincam (-2, 1);
%!  ## The frame as the sensor reads it out: a colour sensor's bottom row first.
%!  sensor = frame;
%!  if (colour)
%!    sensor = flipud (frame);
%!  endif
%!  qorinsim ("set", 1, "frame", sensor, "timing", "realtime");
%!endfunction

%!function img = read_xwd (file)
%!  ## A window dump of xwd (X11's XWDFile: a big-endian header, the colour map, then the
%!  ## rows of 24- or 32-bit pixels).
%!  fid = fopen (file, "r", "ieee-be");
%!  h = fread (fid, 25, "uint32");
%!  fseek (fid, h(1) + 12 * h(20), "bof");
%!  bytes = h(12) / 8;
%!  raw = fread (fid, [h(13), h(6)], "uint8=>uint8");
%!  fclose (fid);
%!  pixels = reshape (raw(1:bytes * h(5), :), bytes, h(5), h(6));
%!  if (h(8) == 0)
%!    img = permute (pixels([3 2 1], :, :), [3 2 1]);
%!  else
%!    img = permute (pixels(bytes - 2:bytes, :, :), [3 2 1]);
%!  endif
%!endfunction

%!assert (graphics_toolkit (), "qt")

%!test
%! ## The picture of a colour mosaic: red, green and blue from the cells of the pattern the
%! ## recording's orientation gives (a colour sensor reads out bottom first; flipping 1 and
%! ## 3 reverse the columns), as the module's own conversion colours them, at even and odd
%! ## sizes, 8 and 16 bits.  The mosaic is uniform per colour, so every picture pixel is
%! ## exactly that colour.
%! for sixteen = [0 1]
%!   scale = 1 + 256 * sixteen;
%!   for flip = 0:3
%!     for dims = [8 6; 9 7]'
%!       qorin_reset ();
%!       qorinsim ("set", 1, "format", struct ("width", dims(1), "height", dims(2), "pixelFormat", sixteen));
%!       cells = repmat (uint16 ([200 100; 100 30] * scale), ceil (dims([2 1])' / 2));
%!       sensor = cells(1:dims(2), 1:dims(1));
%!       if (! sixteen)
%!         sensor = uint8 (sensor);
%!       endif
%!       qorinsim ("set", 1, "frame", sensor);
%!       qorinsim ("property", 1, 66, flip);
%!       qorincam (-1, 1);
%!       qorincam ("startRecording", 1, "frames", 1);
%!       qorincam ("waitFrames", 1, 1, 5);
%!       raw = qorincam ("peekFrame", 1, "raw");
%!       rgb = qorincam ("peekFrame", 1, "rgb");
%!       mosaic = qorin.Viewer.mosaicPattern (true, flip, size (raw));
%!       picture = qorin.Viewer.displayPicture (raw, [1 dims(2) 1 dims(1)], 1, false, mosaic);
%!       expected = reshape (uint8 ([200 100 30]), 1, 1, 3);
%!       assert (isequal (squeeze (rgb(3, 3, :))', [200 100 30] * scale), "module, flip %d, %dx%d", flip, dims);
%!       assert (isequal (picture, repmat (expected, size (picture, 1), size (picture, 2))), "flip %d, %dx%d", flip, dims);
%!       qorincam ("stopRecording", 1);
%!       qorincam (-2, 1);
%!     endfor
%!   endfor
%! endfor

%!test
%! ## A sample at full scale marks its whole block red, wherever it lies in the block; the
%! ## other blocks keep their grey.  A region dragged backwards on a frame at an offset gives
%! ## the sensor's offset and size, on whole cells of a colour mosaic and within the sensor.
%! raw = uint16 (repmat (1000, 16, 16));
%! raw(7, 6) = 65535;
%! [picture, xdata, ydata] = qorin.Viewer.displayPicture (raw, [1 16 1 16], 4, true, "");
%! assert (size (picture), [4 4 3]);
%! assert (xdata, [2.5 14.5]);
%! marked = picture(:, :, 1) == 255 & picture(:, :, 2) == 0;
%! assert (find (marked), sub2ind ([4 4], 2, 2));
%! assert (picture(1, 1, :), reshape (uint8 ([3 3 3]), 1, 1, 3));
%! [offset, extent] = qorin.Viewer.regionFromDrag ([40.6 30.2], [10.2 5.4], [100 51], [640 480], [1280 1024], 2);
%! assert (offset, [108 54]);
%! assert (extent, [34 28]);
%! [offset, extent] = qorin.Viewer.regionFromDrag ([250 200], [400 300], [1000 800], [280 224], [1270 1020], 1);
%! assert (offset, [1249 999]);
%! assert (extent, [21 21]);

%!test
%! ## Opened on the simulator, the viewer records into a small buffer, shows the chart and
%! ## its readouts; cam.view () gives the open viewer back, a second qorin.Viewer is refused;
%! ## two cameras have a viewer each.  Closing one leaves the other and its camera alone.
%! qorin_reset (2);
%! qorinsim ("set", 1, "timing", "realtime");
%! qorinsim ("set", 2, "timing", "realtime", "colour", false);
%! qorinsim ("property", 2, 80, 0);
%! cam = qorin.Camera (1);
%! other = qorin.Camera (2);
%! v = cam.view ();
%! w = other.view ();
%! unwind_protect
%!   assert (v.mode, "live");
%!   assert (cam.isRecording () && other.isRecording ());
%!   assert (cam.recordingStatus ().capacity <= 4);
%!   show (v, 20);
%!   show (w, 20);
%!   assert (size (v.frame), [480 640]);
%!   assert (v.frameInfo.sequence > 1);
%!   assert (cam.view ().figure, v.figure);
%!   assert (qorin_error_id (@() qorin.Viewer (cam)), "qorin:viewer");
%!   assert (! isempty (regexp (get (part (v, "status"), "String"), '\d+\.\d fps \(set 30\).*640x480 8-bit colour', "once")));
%!   assert (! isempty (regexp (get (part (w, "status"), "String"), '640x480 8-bit mono', "once")));
%!   assert (! isempty (regexp (get (part (v, "stats"), "String"), '^min \d+  max 255  mean', "once")));
%!   close (w.figure);
%!   assert (! other.isRecording () && other.isConnected ());
%!   assert (isempty (w.ticker) && isempty (w.figure));
%!   show (v, 5);
%!   assert (v.mode, "live");
%! unwind_protect_cleanup
%!   v.close ();
%!   w.close ();
%! end_unwind_protect
%! assert (! cam.isRecording () && cam.isConnected ());

%!test
%! ## Each control, driven as a click drives it, changes the camera and then shows what the
%! ## camera reports; the geometry changes restart the recording.  A change made from the
%! ## command line shows at the next readout.
%! qorin_reset ();
%! qorinsim ("set", 1, "timing", "realtime");
%! cam = qorin.Camera (1);
%! v = cam.view ();
%! unwind_protect
%!   show (v, 5);
%!   press (v, "exposure", "String", "250");
%!   assert (cam.exposure, 250);
%!   assert (get (part (v, "exposure"), "String"), "250");
%!   press (v, "exposure", "String", "-5");
%!   assert (cam.exposure, 250);
%!   assert (get (part (v, "exposure"), "String"), "250");
%!   assert (! isempty (v.message));
%!   press (v, "gainSlider", "Value", 1);
%!   assert (cam.gain, 16);
%!   assert (get (part (v, "gain"), "String"), "16");
%!   press (v, "exposureSlider", "Value", 0.5);
%!   assert (cam.exposure, 10000 / 8, 1e-9);
%!   assert (get (part (v, "exposureSlider"), "Value"), 0.5, 1e-9);
%!   cam.exposure = 77;
%!   show (v, 20);
%!   assert (get (part (v, "exposure"), "String"), "77");
%!
%!   press (v, "rate", "Value", find (cam.frameRates () == 15));
%!   assert (cam.frameRate, 15);
%!   assert (v.mode, "live");
%!   assert (cam.isRecording ());
%!   press (v, "bits16", "Value", 1);
%!   assert (cam.video16Bit);
%!   assert (get (part (v, "bits16"), "Value"), 1);
%!   show (v, 25);
%!   assert (class (v.frame), "uint16");
%!   assert (! isempty (regexp (get (part (v, "status"), "String"), '640x480 16-bit colour', "once")));
%!
%!   press (v, "region", "Value", 1);
%!   drag (v, [500.7 400.2], [101.4 51.3]);
%!   assert (cam.offset', [100 50]);
%!   assert (cam.frameSize', [402 350]);
%!   assert (get (part (v, "size"), "String"), "402x350 at (100, 50) of 1280x1024");
%!   assert (get (part (v, "region"), "Value"), 0);
%!   show (v, 10);
%!   assert (size (v.frame), [350 402]);
%!   assert (cam.isRecording ());
%!   press (v, "fullFrame");
%!   assert ([cam.offset', cam.frameSize'], [0 0 1280 1024]);
%!   show (v, 10);
%!   assert (size (v.frame), [1024 1280]);
%!   assert (get (part (v, "picture"), "XLim"), [0.5 1280.5]);
%!
%!   ## A change the camera refuses is shown, and the panel keeps the camera's values.
%!   qorinsim ("fail", "QorinSetFormat", 1, 1);
%!   press (v, "bits16", "Value", 0);
%!   assert (cam.video16Bit);
%!   assert (get (part (v, "bits16"), "Value"), 1);
%!   assert (! isempty (strfind (v.message, "16-bit")));
%!   assert (v.mode, "live");
%! unwind_protect_cleanup
%!   v.close ();
%! end_unwind_protect

%!test
%! ## Snapshot writes the newest frame as the module converts it (PNG or TIFF, 8 or 16
%! ## bits), auto-named in the folder; Record writes a TIFF whose pages are the frames the
%! ## recording took, and the view goes on after it.
%! folder = tempname ();
%! mkdir (folder);
%! unwind_protect
%!   for sixteen = [0 1]
%!     chart = fixed_chart (true, sixteen);
%!     cam = qorin.Camera (1);
%!     v = cam.view ();
%!     v.folder = folder;
%!     show (v, 5);
%!     expected = qorincam ("peekFrame", 1, "rgb");
%!     press (v, "snapshot");
%!     press (v, "format", "Value", 2);
%!     press (v, "snapshot");
%!     files = [dir(fullfile (folder, "camera1_*.png")); dir(fullfile (folder, "camera1_*.tif"))];
%!     assert (numel (files), 2);
%!     for k = 1:2
%!       written = imread (fullfile (folder, files(k).name));
%!       assert (isequal (written, expected), files(k).name);
%!       delete (fullfile (folder, files(k).name));
%!     endfor
%!
%!     press (v, "record", "Value", 1);
%!     assert (v.mode, "record");
%!     assert (get (part (v, "record"), "String"), "Stop");
%!     show (v, 30);
%!     assert (! isempty (regexp (v.message, 'Recording to .*: \d+ frames, \d\.\d s, \d+ pages written', "once")));
%!     press (v, "record", "Value", 0);
%!     assert (v.mode, "live");
%!     m = regexp (v.message, 'Recorded (\d+) frames to (.*): (\d+) pages written, 0 not written', "tokens", "once");
%!     assert (numel (m), 3);
%!     assert (str2double (m{1}) >= 15 && str2double (m{1}) == str2double (m{3}));
%!     pages = imfinfo (m{2});
%!     assert (numel (pages), str2double (m{1}));
%!     assert (imread (m{2}, numel (pages)), chart);
%!     delete (m{2});
%!     show (v, 5);
%!     assert (cam.isRecording ());
%!     v.close ();
%!     clear v cam
%!   endfor
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (folder, "s");
%! end_unwind_protect

%!test
%! ## Closed in the middle of a Record, the viewer leaves nothing running: no recording and
%! ## its threads, a complete file, no figure, no timer or hook; the camera stays connected
%! ## with its settings.  A camera error stops the view with one message, and Live starts it
%! ## again.  A camera that records already is watched, not stopped, and its error is not
%! ## taken from its owner.
%! qorin_reset ();
%! qorinsim ("set", 1, "timing", "realtime");
%! cam = qorin.Camera (1);
%! v = cam.view ();
%! show (v, 3);
%! v.close ();
%! before = threads ();
%! file = [tempname() ".tif"];
%! v = cam.view ();
%! unwind_protect
%!   show (v, 3);
%!   cam.exposure = 90;
%!   v.record (file);
%!   show (v, 10);
%!   assert (threads () > before);
%!   close (v.figure);
%!   assert (! cam.isRecording () && cam.isConnected ());
%!   assert (cam.exposure, 90);
%!   assert (threads (), before);
%!   assert (isempty (v.figure) && isempty (v.ticker));
%!   assert (isempty (findall (0, "Tag", "qorin.Viewer")));
%!   assert (numel (imfinfo (file)) >= 1);
%!   assert (qorin_error_id (@() cam.peekFrame ()), "qorincam:state");
%! unwind_protect_cleanup
%!   delete (file);
%! end_unwind_protect
%!
%! v = cam.view ();
%! unwind_protect
%!   show (v, 3);
%!   qorinsim ("fail", "QorinTakeVideo", 19, 1);
%!   printed = evalc ("show (v, 40)");
%!   assert (printed, "");
%!   assert (v.mode, "stopped");
%!   assert (! isempty (strfind (v.message, "An error occured while trying to take a video frame.")));
%!   assert (get (part (v, "live"), "String"), "Live");
%!   press (v, "live");
%!   assert (v.mode, "live");
%!   show (v, 5);
%!   assert (cam.isRecording ());
%! unwind_protect_cleanup
%!   v.close ();
%! end_unwind_protect
%!
%! cam.startRecording ("buffer", 8);
%! v = cam.view ();
%! unwind_protect
%!   assert (v.mode, "watch");
%!   show (v, 10);
%!   assert (! isempty (v.frame));
%!   assert (get (part (v, "bits16"), "Enable"), "off");
%!   assert (get (part (v, "record"), "Enable"), "off");
%!   v.close ();
%!   assert (cam.isRecording ());
%!   ## The camera error that ends a watched recording is left for its owner to see.
%!   v = cam.view ();
%!   qorinsim ("fail", "QorinTakeVideo", 19, 1);
%!   show (v, 30);
%!   assert (v.mode, "stopped");
%!   assert (qorin_error_id (@() cam.recordingStatus ()), "qorincam:sdk");
%! unwind_protect_cleanup
%!   v.close ();
%!   cam.stopRecording ();
%!   cam.flushFrames ();
%! end_unwind_protect

%!test
%! ## The figure as drawn (getframe): the picture region shows the chart as the module
%! ## colours it, and the histogram is drawn.  A dump of the whole window, controls and all,
%! ## goes to the build folder (viewer.png) for the README.
%! chart = fixed_chart (true, 0);
%! cam = qorin.Camera (1);
%! v = cam.view ();
%! unwind_protect
%!   show (v, 20);
%!   expected = double (qorincam ("peekFrame", 1, "rgb"));
%!   shot = getframe (v.figure).cdata;
%!   [rows, cols] = size (chart);
%!   box = getpixelposition (part (v, "picture"));
%!   scale = min (box(3) / cols, box(4) / rows);
%!   left = box(1) + (box(3) - cols * scale) / 2;
%!   top = size (shot, 1) - (box(2) - 1 + box(4)) + (box(4) - rows * scale) / 2;
%!   ## A 32 x 24 grid of points inside the picture, each compared with the frame's pixel there.
%!   [fx, fy] = meshgrid (((1:32) - 0.5) / 32 * cols, ((1:24) - 0.5) / 24 * rows);
%!   sx = round (left + fx * scale);
%!   sy = round (top + fy * scale);
%!   near = 0;
%!   for k = 1:numel (fx)
%!     seen = double (squeeze (shot(sy(k), sx(k), :)));
%!     want = squeeze (expected(ceil (fy(k)), ceil (fx(k)), :));
%!     near += max (abs (seen - want)) <= 40;
%!   endfor
%!   assert (near / numel (fx) >= 0.9, "%d of %d points show the frame", near, numel (fx));
%!   hbox = getpixelposition (part (v, "histogram"));
%!   hrows = size (shot, 1) - (hbox(2) - 1 + hbox(4)) + (3:hbox(4) - 3);
%!   hcols = hbox(1) + (3:hbox(3) - 3);
%!   traces = double (shot(hrows, hcols, :));
%!   coloured = max (traces, [], 3) - min (traces, [], 3) > 80;
%!   ## The chart's levels make peaks: coloured traces over most of the plot's height.
%!   tall = nnz (any (coloured, 2));
%!   assert (tall > numel (hrows) / 2, "the histogram's traces reach %d of %d rows", tall, numel (hrows));
%!   [status, ~] = system ("which xwd");
%!   if (status == 0)
%!     dump = [tempname() ".xwd"];
%!     system (sprintf ("xwd -silent -name '%s' -out '%s'", get (v.figure, "Name"), dump));
%!     window = read_xwd (dump);
%!     delete (dump);
%!     assert (size (window, 2), get (v.figure, "Position")(3));
%!     imwrite (window, fullfile (fileparts (fileparts (which ("qorincam"))), "viewer.png"));
%!   endif
%! unwind_protect_cleanup
%!   v.close ();
%! end_unwind_protect

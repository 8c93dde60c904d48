## The simulator's control MEX: set-up, read-backs, faults, the call log and bad calls.

%!shared default_format
%! default_format = struct ("width", 640, "height", 480, "xOffset", 0, "yOffset", 0, ...
%!                         "xBinSub", 1, "yBinSub", 1, "xFlags", 0, "yFlags", 0, ...
%!                         "pixelFormat", 0, "frameRate", 30);

## Defaults after a reset
%!test
%! qorinsim ("reset");
%! assert (qorinsim ("get", 1, "open"), false);
%! assert (qorinsim ("get", 1, "streaming"), false);
%! assert (qorinsim ("get", 1, "fastFrames"), false);
%! assert (qorinsim ("get", 1, "syncSnapshots"), false);
%! assert (isempty (qorinsim ("get", 1, "window")));
%! assert (qorinsim ("get", 1, "format"), default_format);
%! assert (qorinsim ("get", 64, "format"), default_format);
%! assert (qorinsim ("get", 1, "property", 80), [1 0]);
%! assert (qorinsim ("get", 1, "property", 81), [1280 0]);
%! assert (qorinsim ("get", 1, "property", 82), [1024 0]);
%! assert (qorinsim ("get", 1, "property", 64), [0 0]);
%! assert (qorinsim ("get", 1, "frameRates"), [3.75 7.5 15 30 60]);
%! assert (qorinsim ("get", 1, "timeout"), [5000 5000]);
%! assert (qorinsim ("get", 1, "timing"), "immediate");
%! assert (isempty (qorinsim ("get", 1, "hiccup")));
%! assert (qorinsim ("get", 1, "events"), 0);
%! assert (qorinsim ("get", 1, "matrix"), eye (3));
%! buffer = qorinsim ("get", 1, "permanentBuffer");
%! assert (class (buffer), "uint8");
%! assert (buffer, zeros (1, 1024, "uint8"));
%! lut = qorinsim ("get", 1, "lut");
%! assert (isempty (lut.table) && strcmp (class (lut.table), "uint8"));
%! calls = qorinsim ("calls");
%! assert (size (calls), [0 1]);
%! assert (fieldnames (calls), {"name"; "camera"; "args"});
%! assert (qorinsim ("openEvents"), 0);

## Set-up round trips, and a reset undoes them
%!test
%! qorinsim ("reset");
%! qorinsim ("set", 2, "format", struct ("width", 320, "yBinSub", 2, "pixelFormat", 1, "frameRate", 7.5), ...
%!          "colour", false, "maxSize", [2048 1536]);
%! f = qorinsim ("get", 2, "format");
%! assert ([f.width f.height f.yBinSub f.xBinSub f.pixelFormat f.frameRate], [320 480 2 1 1 7.5]);
%! assert (qorinsim ("get", 2, "property", 80), [0 0]);
%! assert (qorinsim ("get", 2, "colour"), false);
%! assert (qorinsim ("get", 2, "property", 81), [2048 0]);
%! assert (qorinsim ("get", 2, "property", 82), [1536 0]);
%! assert (qorinsim ("get", 1, "format"), default_format);   # other cameras untouched
%! qorinsim ("set", 2, "frameRates", [1 2.5], "gpio", [3 250], "roi", [-1 2 3 4], ...
%!          "matrix", [1 2 3; 4 5 6; 7 8 9], "progress", 0.5, "version", [1 2 3 4 5 6], ...
%!          "permanentBuffer", uint8 ([7 8 9]), "interface", 1, "cameraId", 99, ...
%!          "pixelDepth", 12, "hwRevision", 4);
%! assert (qorinsim ("get", 2, "frameRates"), [1 2.5]);
%! assert (qorinsim ("get", 2, "gpio"), [3 250]);
%! assert (qorinsim ("get", 2, "roi"), [-1 2 3 4]);
%! assert (qorinsim ("get", 2, "matrix"), [1 2 3; 4 5 6; 7 8 9]);
%! assert (qorinsim ("get", 2, "progress"), 0.5);
%! assert (qorinsim ("get", 2, "version"), [1 2 3 4 5 6]);
%! assert (qorinsim ("get", 2, "permanentBuffer"), uint8 ([7 8 9]));
%! qorinsim ("set", 2, "timing", "realtime", "hiccup", [5 40]);
%! assert (qorinsim ("get", 2, "timing"), "realtime");
%! assert (qorinsim ("get", 2, "hiccup"), [5 40]);
%! qorinsim ("set", 2, "hiccup", 0);
%! assert (isempty (qorinsim ("get", 2, "hiccup")));
%! qorinsim ("set", 2, "frame", uint16 (magic (4)));
%! qorinsim ("set", 2, "frames", zeros (2, 3, 4, "uint8"));
%! qorinsim ("set", 2, "frame", []);
%! qorinsim ("reset");
%! assert (qorinsim ("get", 2, "format"), default_format);
%! assert (qorinsim ("get", 2, "gpio"), [0 0]);
%! assert (numel (qorinsim ("get", 2, "permanentBuffer")), 1024);

## Properties and ranges
%!test
%! qorinsim ("reset");
%! qorinsim ("property", 1, 20, 0.1, 4294967295);
%! assert (qorinsim ("get", 1, "property", 20), [double(single(0.1)) 4294967295]);
%! qorinsim ("property", 1, 66, -1);
%! assert (qorinsim ("get", 1, "property", 66), [-1 0]);
%! qorinsim ("property", 1, 1000, 5, 2);   # a property the camera did not have
%! assert (qorinsim ("get", 1, "property", 1000), [5 2]);
%! assert (qorinsim ("get", 1, "property", 999), [0 0]);
%! qorinsim ("range", 1, 40, [0 100]);
%! assert (qorinsim ("get", 1, "range", 40), [0 100]);
%! assert (isempty (qorinsim ("get", 1, "range", 80)));

## Fault injection accepts SDK functions and any 32-bit error number
%!test
%! qorinsim ("reset");
%! qorinsim ("fail", "QorinTakeSnapshot", 19);
%! qorinsim ("fail", "QorinGetProperty", 4294967295, 2, 1);
%! qorinsim ("fail", "QorinNumCameras", -1, 3);
%! qorinsim ("fail", "QorinStreamVideoControl", 5, 0);   # count 0 withdraws it
%! qorinsim ("attach", 4);
%! qorinsim ("attach", -1);
%! qorinsim ("attach", 0);
%!error <not an SDK function> qorinsim ("fail", "QorinNoSuchFunction", 1)
%!error <not an SDK function> qorinsim ("fail", "QorinGetLastError", 1)
%!error <errno> qorinsim ("fail", "QorinTakeSnapshot", 2^32)
%!error <count> qorinsim ("fail", "QorinTakeSnapshot", 1, -1)
%!error <skip> qorinsim ("fail", "QorinTakeSnapshot", 1, 1, 0.5)

## Platform stand-ins
%!test
%! qorinsim ("reset");
%! qorinsim ("foreground", false);
%! qorinsim ("foreground", true);
%! assert (qorinsim ("openEvents"), 0);
%! qorinsim ("clearcalls");
%! assert (numel (qorinsim ("calls")), 0);

## The module's calls show up in the log (only once the module is built)
%!test
%! if (exist ("qorincam") != 3)
%!   return;
%! endif
%! clear qorincam
%! qorinsim ("reset");
%! try
%!   qorincam (-1, 1);
%! catch
%!   return;   # the module is not usable yet
%! end_try_catch
%! assert (qorinsim ("get", 1, "open"), true);
%! calls = qorinsim ("calls");
%! assert (columns (calls), 1);
%! names = {calls.name};
%! k = find (strcmp (names, "QorinCameraOpen"), 1);
%! assert (! isempty (k));
%! assert (calls(k).camera, 0);
%! assert (calls(k).args, {1});
%! later = calls(k+1:end);
%! assert (all ([later.camera] == 1 | [later.camera] == 0));
%! clear qorincam
%! qorinsim ("reset");

## Bad control calls raise errors
%!error <command name> qorinsim ()
%!error <command> qorinsim (5)
%!error <unknown command> qorinsim ("nonsense")
%!error <usage> qorinsim ("reset", 1)
%!error <N> qorinsim ("attach", 65)
%!error <N> qorinsim ("attach", -2)
%!error <N> qorinsim ("attach", "one")
%!error <camera number> qorinsim ("get", 0, "open")
%!error <camera number> qorinsim ("get", 65, "open")
%!error <camera number> qorinsim ("set", 1.5, "colour", true)
%!error <unknown state> qorinsim ("get", 1, "nonsense")
%!error <property number> qorinsim ("get", 1, "property")
%!error <unknown setting> qorinsim ("set", 1, "nonsense", 1)
%!error <usage> qorinsim ("set", 1, "colour")
%!error <scalar structure> qorinsim ("set", 1, "format", 640)
%!error <width> qorinsim ("set", 1, "format", struct ("width", -1))
%!error <xBinSub> qorinsim ("set", 1, "format", struct ("xBinSub", 65536))
%!error <uint8 or uint16> qorinsim ("set", 1, "frame", [1 2; 3 4])
%!error <uint8 or uint16> qorinsim ("set", 1, "frame", {1})
%!error <matrix> qorinsim ("set", 1, "frame", zeros (2, 2, 2, "uint8"))
%!error <3-by-3> qorinsim ("set", 1, "matrix", eye (2))
%!error <2 elements> qorinsim ("set", 1, "gpio", 1)
%!error <gpio> qorinsim ("set", 1, "gpio", [1 256])
%!error <6 elements> qorinsim ("set", 1, "version", [1 2 3])
%!error <timing> qorinsim ("set", 1, "timing", "fast")
%!error <hiccup> qorinsim ("set", 1, "hiccup", [1 2 3])
%!error <uint8> qorinsim ("set", 1, "permanentBuffer", [1 2 3])
%!error <range> qorinsim ("range", 1, 20, 5)
%!error <property value> qorinsim ("property", 1, 20, "x")

## A rejected 'set' changes nothing, not even its valid pairs
%!test
%! qorinsim ("reset");
%! try
%!   qorinsim ("set", 1, "gpio", [1 2], "matrix", 7);
%! end_try_catch
%! assert (qorinsim ("get", 1, "gpio"), [0 0]);

## The chart as the module delivers it: brighter with a longer snapshot exposure, clipped at full
## scale; noise and sensor temperature are controls of their own, and cooling moves the temperature.
%!test
%! qorin_reset ();
%! qorincam (-1, 1);
%! nominal = qorincam (13, 1);
%! qorincam (15, 1, 120);
%! bright = qorincam (13, 1);
%! white = bright(200:280, 64, 1);       # red of the white bar, away from the counter box
%! assert (all (white == 255));
%! assert (mean (bright(:)) > mean (nominal(:)));
%! qorincam (15, 1, 6);
%! dim = qorincam (13, 1);
%! assert (mean (dim(:)) < mean (nominal(:)) / 5);
%! assert (qorinsim ("get", 1, "noise"), 0);
%! qorinsim ("set", 1, "noise", 6);
%! assert (qorinsim ("get", 1, "noise"), 6);
%! assert (qorinsim ("get", 1, "temperature"), 25);
%! qorincam (81, 1, true, -5);
%! for k = 1:30
%!   qorincam (13, 1);
%! endfor
%! assert (qorinsim ("get", 1, "temperature"), -5, 0.05);
%! qorinsim ("set", 1, "temperature", 40);
%! assert (qorinsim ("get", 1, "temperature"), 40);
%! qorinsim ("reset");
%! assert (qorinsim ("get", 1, "temperature"), 25);
%! assert (qorinsim ("get", 1, "noise"), 0);

%!error <noise> qorinsim ("set", 1, "noise", -1)
%!error <temperature> qorinsim ("set", 1, "temperature", Inf)

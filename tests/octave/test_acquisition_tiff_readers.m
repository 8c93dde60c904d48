## Recordings' TIFF files as two readers nobody here wrote read them: tifffile (Python) and ImageJ.

%!function write_raw (file, frames)
%!  ## Row after row, frame after frame, samples in the machine's (little-endian) order.
%!  fid = fopen (file, "w");
%!  fwrite (fid, permute (frames, [2 1 3]), class (frames));
%!  fclose (fid);
%!endfunction

%!function [status, out] = run_reader (folder, name, lines, command)
%!  script = fullfile (folder, name);
%!  fid = fopen (script, "w");
%!  fprintf (fid, "%s\n", lines{:});
%!  fclose (fid);
%!  [status, out] = system (sprintf (command, script));
%!endfunction

%!test
%! ## Every combination of colour, depth and flipping, at an odd and an even size (the mosaic's
%! ## phase and the row order matter): every page is the raw frame getFrames returned, bit for
%! ## bit, in tifffile page by page and as its series, and in the stack ImageJ reads, which is a
%! ## time series with the recording's time between frames.  So too in a file whose process
%! ## died while writing it: no ImageJ lines, a plain stack.
%! qorin_reset ();
%! folder = tempname ();
%! mkdir (folder);
%! unwind_protect
%!   bases = {};
%!   counts = [];
%!   for colour = [0 1]
%!     for depth = [0 1]
%!       for flipping = 0:3
%!         for dims = [7 5; 8 6]'
%!           base = fullfile (folder, sprintf ("c%d-d%d-f%d-%dx%d", colour, depth, flipping, dims));
%!           qorinsim ("set", 1, "format", struct ("width", dims(1), "height", dims(2), "pixelFormat", depth));
%!           qorinsim ("property", 1, 80, colour);
%!           qorinsim ("property", 1, 66, flipping);
%!           qorincam (-1, 1);
%!           qorincam ("startRecording", 1, "frames", 3, "buffer", 4, "file", [base ".tif"]);
%!           qorin_wait_end (1);
%!           qorincam ("stopRecording", 1);
%!           write_raw ([base ".raw"], qorincam ("getFrames", 1));
%!           qorincam (-2, 1);
%!           bases{end+1} = base;
%!           counts(end+1) = 3;
%!         endfor
%!       endfor
%!     endfor
%!   endfor
%!   ## A camera with colour, 16 bits and reversed rows, recording in real time until its
%!   ## process is killed; its frame is fixed, so every page shows the one frame taken.
%!   base = fullfile (folder, "killed");
%!   code = sprintf (["addpath ('%s'); qorinsim ('set', 1, 'format', struct ('width', 7, 'height', 5, 'pixelFormat', 1), " ...
%!                    "'timing', 'realtime', 'frame', uint16 (reshape (0:34, 5, 7) * 1000)); qorinsim ('property', 1, 66, 2); " ...
%!                    "qorincam (-1, 1); qorincam ('startRecording', 1, 'buffer', 4, 'file', '%s.tif'); qorincam ('waitFrames', 1, 1, 10); " ...
%!                    "f = qorincam ('getFrames', 1, 1); save ('-binary', '%s.mat', 'f'); " ...
%!                    "while (qorincam ('recordingStatus', 1).written < 2) pause (0.01); end; kill (getpid (), 9);"], ...
%!                   fileparts (which ("qorincam")), base, base);
%!   system (sprintf ("'%s' --no-gui --norc --quiet --eval \"%s\"", fullfile (OCTAVE_HOME, "bin", "octave-cli"), code));
%!   pages = numel (imfinfo ([base ".tif"]));
%!   assert (pages >= 2);
%!   load ([base ".mat"]);
%!   write_raw ([base ".raw"], repmat (f, [1 1 pages]));
%!   bases{end+1} = base;
%!   counts(end+1) = pages;
%!
%!   python = {"import sys, numpy, tifffile",
%!             "for base in sys.argv[1:]:",
%!             "    with tifffile.TiffFile(base + '.tif') as tif:",
%!             "        pages = numpy.stack([page.asarray() for page in tif.pages])",
%!             "        series = tif.series[0].asarray().reshape(pages.shape)",
%!             "    raw = numpy.fromfile(base + '.raw', dtype=pages.dtype).reshape(pages.shape)",
%!             "    print(base, int(numpy.array_equal(pages, raw)), int(numpy.array_equal(series, raw)))"};
%!   [status, out] = run_reader (folder, "read.py", python, ["/usr/bin/python3 '%s' " sprintf("'%s' ", bases{:})]);
%!   assert (status, 0, out);
%!   assert (strtrim (out), strjoin (strcat (bases, " 1 1"), "\n"));
%!
%!   ## ImageJ saves each stack it read as raw data, 16-bit samples big-endian.
%!   macro = {"names = split(getArgument(), ',');",
%!            "for (i = 0; i < names.length; i++) {",
%!            "  open(names[i] + '.tif');",
%!            "  Stack.getDimensions(width, height, channels, slices, frames);",
%!            "  print(names[i] + ' ' + nSlices + ' ' + slices + ' ' + frames + ' ' + Stack.getFrameInterval());",
%!            "  saveAs('Raw Data', names[i] + '.imagej');",
%!            "  close();",
%!            "}"};
%!   [status, out] = run_reader (folder, "read.ijm", macro, ...
%!                               ["timeout 300 xvfb-run -a java -Xmx512m -cp /usr/share/java/ij.jar ij.ImageJ -batch '%s' '" ...
%!                                strjoin(bases, ",") "'"]);
%!   assert (status, 0, out);
%!   lines = strsplit (strtrim (out), "\n");
%!   assert (numel (lines), numel (bases), out);
%!   for k = 1:numel (bases)
%!     fields = strsplit (lines{k}, " ");
%!     seen = str2double (fields(2:end));
%!     assert (fields{1}, bases{k});
%!     if (k < numel (bases))
%!       ## 3 frames as one series, well under 0.1 s apart (the simulator delivers at once).
%!       assert (isequal (seen(1:3), [3 1 3]) && seen(4) > 0 && seen(4) < 0.1, lines{k});
%!     else
%!       assert (isequal (seen, [counts(k) counts(k) 1 0]), lines{k});
%!     endif
%!     fid = fopen ([bases{k} ".raw"]);
%!     raw = fread (fid, Inf, "uint8=>uint8");
%!     fclose (fid);
%!     fid = fopen ([bases{k} ".imagej"]);
%!     if (any (regexp (bases{k}, "-d1-|killed")))
%!       imagej = typecast (fread (fid, Inf, "uint16=>uint16", 0, "ieee-be"), "uint8");
%!     else
%!       imagej = fread (fid, Inf, "uint8=>uint8");
%!     endif
%!     fclose (fid);
%!     assert (isequal (imagej, raw), bases{k});
%!   endfor
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (folder, "s");
%! end_unwind_protect

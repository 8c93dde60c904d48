## recording_free_bench - MATLAB's own arithmetic with and without a recording running beside it.
##
##   recording_free_bench ()                  200 iterations of the work over 2^20 doubles, 7 repeats
##   recording_free_bench (iterations, repeats, elements)
##
## The work: `iterations` times y = x .* a + b; s += sum (y) over a vector of `elements` doubles
## (2^20 by default: x and y take 16 MiB, within the last-level cache beside the recording's
## frames; 2^16 keeps them in the core's own caches).
## Each repeat times it twice, in alternating order: with no recording, and while a monochrome
## simulated camera records 2048x1536 8-bit at 60 fps paced in real time, with an explicit
## frame (its delivery is one memcpy), a ring of 4 frames, 'whenFull' 'overwrite' and nobody
## taking the frames (the recording starts before the timing and stops after it).  Prints the
## median seconds of each, the median of the per-repeat ratios, and the frames the recording
## acquired per second of work (about 60 when the worker kept pace).
## Needs qorincam, qorinsim and tests/octave on the path.
function recording_free_bench (iterations = 200, repeats = 7, elements = 2^20)
  cols = 2048;  rws = 1536;
  x = rand (elements, 1);
  qorin_reset ();
  qorinsim ("set", 1, "format", struct ("width", cols, "height", rws, "pixelFormat", 0, "frameRate", 60), ...
            "colour", false, "frame", uint8 (randi ([0 255], rws, cols)), "maxSize", [cols rws]);
  qorinsim ("property", 1, 80, 0);
  qorinsim ("set", 1, "timing", "realtime");
  qorincam (-1, 1);
  work (x, 10);                                # warm-up
  quiet = busy = rate = zeros (1, repeats);
  for r = 1:repeats
    for recording = circshift ([false true], r)
      if (recording)
        qorincam ("startRecording", 1, "buffer", 4, "whenFull", "overwrite");
        qorincam ("waitFrames", 1, 1, 5);       # the worker is running
        before = qorincam ("recordingStatus", 1).acquired;
        busy(r) = work (x, iterations);
        rate(r) = (qorincam ("recordingStatus", 1).acquired - before) / busy(r);
        qorincam ("stopRecording", 1);
      else
        quiet(r) = work (x, iterations);
      endif
    endfor
  endfor
  printf ("recording_free_bench: %d iterations over %d doubles, %d repeats\n", iterations, elements, repeats);
  printf ("%12s %14s %8s %14s\n", "alone s", "recording s", "ratio", "frames/s");
  printf ("%12.3f %14.3f %8.3f %14.1f\n", median (quiet), median (busy), median (busy ./ quiet), median (rate));
  qorin_reset ();
endfunction

function seconds = work (x, iterations)
  s = 0;
  start = tic ();
  for k = 1:iterations
    y = x .* 1.0001 + 0.5;
    s += sum (y);
  endfor
  seconds = toc (start);
endfunction

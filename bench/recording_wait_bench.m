## recording_wait_bench - how long one getFrames call takes while the recording's worker runs, and after it.
##
##   recording_wait_bench ()                     60, 120 fps and unpaced, 16 calls each
##   recording_wait_bench (rates, calls)
##
## A monochrome simulated camera, 2048x1536 8-bit, explicit frame, records into a ring of 64
## frames for 3 s, at `rate` fps paced in real time (0: unpaced).  After 0.8 s, with frames
## waiting in the ring, `calls` calls of getFrames(cam, 1, 'raw') are timed, then as many of
## getFrames(cam, 1, 'rgb'); after stopRecording, `calls` of getFrames(cam, 1, 'raw') again.
## Prints the medians (and the longest raw call while recording) in ms.  A call that needs a
## turn at the camera's SDK calls waits for the worker's QorinTakeVideo in progress.
## Needs qorincam, qorinsim and tests/octave on the path.
function recording_wait_bench (rates = [60 120 0], calls = 16)
  cols = 2048;  rws = 1536;
  F = uint8 (randi ([0 255], rws, cols));
  printf ("recording_wait_bench: %dx%d 8-bit, getFrames(cam, 1, kind), median of %d calls, ms\n", cols, rws, calls);
  printf ("%-9s %12s %12s %12s %12s\n", "rate", "raw", "raw longest", "rgb", "raw after");
  for rate = rates
    qorin_reset ();
    qorinsim ("set", 1, "format", struct ("width", cols, "height", rws, "pixelFormat", 0, "frameRate", max (rate, 60)), ...
              "colour", false, "frame", F, "maxSize", [cols rws]);
    qorinsim ("property", 1, 80, 0);
    if (rate > 0)
      qorinsim ("set", 1, "timing", "realtime");
    endif
    qorincam (-1, 1);
    qorincam ("startRecording", 1, "buffer", 64, "seconds", 3);
    pause (0.8);
    raw = timed (@() qorincam ("getFrames", 1, 1, "raw"), calls);
    rgb = timed (@() qorincam ("getFrames", 1, 1, "rgb"), calls);
    qorincam ("stopRecording", 1);
    after = timed (@() qorincam ("getFrames", 1, 1, "raw"), calls);
    if (rate == 0)
      rate_text = "unpaced";
    else
      rate_text = sprintf ("%d fps", rate);
    endif
    printf ("%-9s %12.2f %12.2f %12.2f %12.2f\n", rate_text, 1000 * median (raw), 1000 * max (raw), ...
            1000 * median (rgb), 1000 * median (after));
    fflush (stdout);
  endfor
  qorin_reset ();
endfunction

function times = timed (f, calls)
  times = zeros (1, calls);
  for k = 1:calls
    start = tic ();
    r = f ();
    times(k) = toc (start);
    clear r
  endfor
endfunction

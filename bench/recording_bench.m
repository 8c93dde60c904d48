## recording_bench - a sustained recording taken by MATLAB as it comes, per depth and frame rate.
##
##   recording_bench ()                          3 s per case, 3 repeats, 8 and 16 bit, 60, 120 fps and unpaced
##   recording_bench (seconds, repeats, depths, rates, take, ring_bench)
##
## Each case: a monochrome simulated camera at 2048x1536 with an explicit frame (the
## simulator's delivery is then one memcpy into the ring's slot), at `rate` fps paced in real
## time ('timing' 'realtime'), or unpaced (rate 0: 'immediate').  A recording of `seconds`
## seconds with a ring of 32 frames ('whenFull' 'overwrite') runs while this loop takes the
## frames as they come: getFrames(cam, take, 'raw') (take = 1 by default) and, when it returns
## none, waitFrames(cam, 1, 0.05).  Per case, over the repeats:
##   acquired  - frames put into the ring (median of the repeats)
##   lost      - overwritten + notWritten: frames the ring gave up before they were taken
##               (sum over the repeats; 0 whenever MATLAB keeps up)
##   dropped   - frames the camera delivered that the recording missed (sum over the repeats);
##               unpaced, the recorder still counts against the format's 60 fps, so there it
##               only counts the worker's pauses longer than 25 ms
##   fps       - acquired frames over the time from the first frame's stamp to the last's
##               (median of the repeats)
##   take ms   - MATLAB's time per frame in getFrames (median of the repeats)
##   taken     - frames getFrames returned (median of the repeats)
## Then, per depth, the ring's cost per frame against a memcpy of one frame: the native
## frame_ring_bench (see bench/README.md), run when `ring_bench` names it (by default the one
## built beside the MEX files, build-.../bench/frame_ring_bench).
## Needs qorincam, qorinsim and tests/octave on the path.
function recording_bench (seconds = 3, repeats = 3, depths = [8 16], rates = [60 120 0], take = 1, ring_bench = "")
  cols = 2048;  rws = 1536;  buffer = 32;
  if (isempty (ring_bench))
    ring_bench = fullfile (fileparts (fileparts (which ("qorincam"))), "bench", "frame_ring_bench");
  endif
  printf ("recording_bench: %dx%d, %g s per recording, %d repeats, ring of %d frames, taken raw %d at a time\n", ...
          cols, rws, seconds, repeats, buffer, take);
  printf ("%-6s %-9s %9s %6s %8s %9s %9s %8s\n", "depth", "rate", "acquired", "lost", "dropped", "fps", ...
          "take ms", "taken");
  for depth = depths
    if (depth == 8)
      F = uint8 (randi ([0 255], rws, cols));
    else
      F = uint16 (randi ([0 65535], rws, cols));
    endif
    for rate = rates
      acquired = fps = take_ms = taken = zeros (1, repeats);
      lost = dropped = 0;
      for r = 1:repeats
        setup (F, depth, rate);
        [s, first, last, t_take, n_taken] = record_and_take (seconds, buffer, take);
        acquired(r) = s.acquired;
        taken(r) = n_taken;
        lost += s.overwritten + s.notWritten;
        dropped += s.dropped;
        fps(r) = (s.acquired - 1) / max (last - first, eps);
        take_ms(r) = 1000 * t_take / max (n_taken, 1);
      endfor
      if (rate == 0)
        rate_text = "unpaced";
      else
        rate_text = sprintf ("%d fps", rate);
      endif
      printf ("%-6d %-9s %9d %6d %8d %9.1f %9.2f %8d\n", depth, rate_text, median (acquired), lost, dropped, ...
              median (fps), median (take_ms), median (taken));
      fflush (stdout);
    endfor
    clear F
  endfor
  qorin_reset ();
  if (exist (ring_bench, "file"))
    printf ("\nThe ring's cost per frame (%s):\n", ring_bench);
    fflush (stdout);
    system (sprintf ("'%s' --size %dx%d --depths %s", ring_bench, cols, rws, strjoin (arrayfun (@num2str, depths, ...
                     "UniformOutput", false), ",")));
  else
    printf ("\n(no %s: build the target frame_ring_bench for the ring's cost per frame)\n", ring_bench);
  endif
endfunction

function setup (F, depth, rate)
  qorin_reset ();
  [rws, cols] = size (F);
  qorinsim ("set", 1, "format", struct ("width", cols, "height", rws, "pixelFormat", depth == 16, ...
                                        "frameRate", max (rate, 60)), ...
            "colour", false, "frame", F, "maxSize", [max(cols, 640) max(rws, 480)]);
  qorinsim ("property", 1, 80, 0);
  if (rate > 0)
    qorinsim ("set", 1, "timing", "realtime");
  else
    qorinsim ("set", 1, "timing", "immediate");
  endif
  qorincam (-1, 1);
endfunction

## One recording, its frames taken as they come; the status at its end, the first and last
## frames' stamps, the time spent in getFrames and the frames it returned.
function [s, first, last, t_take, n_taken] = record_and_take (seconds, buffer, take)
  first = NaN;  last = NaN;  t_take = 0;  n_taken = 0;
  qorincam ("startRecording", 1, "seconds", seconds, "buffer", buffer, "whenFull", "overwrite");
  while (true)
    start = tic ();
    [f, meta] = qorincam ("getFrames", 1, take, "raw");
    n = size (f, 3);
    if (n > 0)
      t_take += toc (start);
      n_taken += n;
      if (isnan (first))
        first = meta(1).timestamp;
      endif
      last = meta(end).timestamp;
    else
      if (! qorincam ("isRecording", 1) && qorincam ("recordingStatus", 1).available == 0)
        break;
      endif
      qorincam ("waitFrames", 1, 1, 0.05);
    endif
    clear f meta
  endwhile
  s = qorincam ("recordingStatus", 1);
  qorincam ("stopRecording", 1);
endfunction

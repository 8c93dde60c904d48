## recording_first_lap_bench - frames lost at the start of a fast recording with the default buffer, run by run.
##
##   recording_first_lap_bench ()                       10 runs of 240 frames, 8 and 16 bit, 120 fps
##   recording_first_lap_bench (runs, frames, depths, rate)
##
## Each run: a fresh module and simulator, a monochrome camera of 2048x1536 delivering its test
## chart in real time at `rate` fps, and a recording of `frames` frames with the default buffer
## (the smaller of 1 GiB and a quarter of the memory, and no more than `frames` frames), taken
## as they come: getFrames(cam, [], 'raw') and, when none is there, waitFrames(cam, 1, 0.05).
## The whole buffer is fresh memory, and every frame of the run lands in it for the first time.
## Per run:
##   lost     - frames the camera made that the recording did not get (dropped, the first list)
##              plus those the buffer gave up before they were taken (overwritten, the second);
##              the goal is 0
##   start ms - the time startRecording took, most of it making the buffer resident
##   ms/GiB   - that time per GiB of buffer
## Needs qorincam, qorinsim and tests/octave on the path.
function recording_first_lap_bench (runs = 10, frames = 240, depths = [8 16], rate = 120)
  cols = 2048;  rws = 1536;
  printf ("recording_first_lap_bench: %dx%d at %d fps, %d runs of %d frames, default buffer, taken as they come\n", ...
          cols, rws, rate, runs, frames);
  for depth = depths
    dropped = overwritten = start_ms = gib = zeros (1, runs);
    for r = 1:runs
      qorin_reset ();
      qorinsim ("set", 1, "format", struct ("width", cols, "height", rws, "pixelFormat", depth == 16, ...
                                            "frameRate", rate), ...
                "colour", false, "maxSize", [cols rws], "timing", "realtime");
      qorinsim ("property", 1, 80, 0);
      qorincam (-1, 1);
      t = tic ();
      qorincam ("startRecording", 1, "frames", frames);
      start_ms(r) = 1000 * toc (t);
      taken = 0;
      while (true)
        [f, meta] = qorincam ("getFrames", 1, [], "raw");
        taken += size (f, 3);
        clear f
        if (isempty (meta))
          if (! qorincam ("isRecording", 1))
            break;
          endif
          qorincam ("waitFrames", 1, 1, 0.05);
        endif
      endwhile
      s = qorincam ("recordingStatus", 1);
      dropped(r) = s.dropped;
      overwritten(r) = s.overwritten;
      gib(r) = s.capacity * s.frameBytes / 2^30;
    endfor
    printf ("%2d bit: buffer %.2f GiB (%d frames); lost per run: dropped %s, overwritten %s; start %s ms, %.0f ms/GiB (median)\n", ...
            depth, gib(1), s.capacity, mat2str (dropped), mat2str (overwritten), mat2str (round (start_ms)), ...
            median (start_ms ./ gib));
    fflush (stdout);
  endfor
  qorin_reset ();
endfunction

## recording_disk_bench - the recorder's TIFF writer against a plain sequential write of the same bytes.
##
##   recording_disk_bench ()                       /tmp, 64 frames of 2048x1536, 8 and 16 bit, 5 repeats
##   recording_disk_bench (folder, frames, repeats, depths)
##
## Per repeat, in the same folder, in alternating order:
##   recorder - startRecording(cam, 'frames', N, 'buffer', N, 'file', f, 'overwrite', true) on an
##              unpaced monochrome simulated camera with an explicit frame (its delivery is one
##              memcpy), waitFrames until the recording ended, then stopRecording, which returns
##              once the writer has written every frame and closed the file: the time from the
##              start to that return, written == N checked;
##   plain    - qorin_bench_write: the same bytes (N frames' samples) written with write(2) in
##              frame-sized chunks into a new file, from open to close.
## Both go to the page cache as any write does (no fsync); each file is deleted after its run.
## Prints the median MB/s of each, the median of the per-repeat ratios recorder / plain, and
## `acq MB/s`: the same bytes over the time from the start until the last frame was in the
## ring (waitFrames returned), which bounds the recorder's figure from above.
## Needs qorincam, qorinsim, qorin_bench_write and tests/octave on the path.
function recording_disk_bench (folder = "/tmp", frames = 64, repeats = 5, depths = [8 16])
  cols = 2048;  rws = 1536;
  if (! isfolder (folder))
    error ("recording_disk_bench: no folder %s", folder);
  endif
  dir = tempname (folder, "qorin-disk-bench-");
  mkdir (dir);
  cleanup = onCleanup (@() remove_folder (dir));
  printf ("recording_disk_bench: %s, %d frames of %dx%d per file, %d repeats\n", dir, frames, cols, rws, repeats);
  printf ("%-6s %10s %12s %12s %8s %12s\n", "depth", "file MB", "rec MB/s", "plain MB/s", "ratio", "acq MB/s");
  for depth = depths
    if (depth == 8)
      F = uint8 (randi ([0 255], rws, cols));
    else
      F = uint16 (randi ([0 65535], rws, cols));
    endif
    frame_bytes = numel (F) * (depth / 8);
    setup (F, depth);
    rec = acq = plain = zeros (1, repeats);
    for r = 1:repeats
      for which = circshift ([1 2], r)         # alternate which one goes first
        file = fullfile (dir, sprintf ("r%d-%d.tif", r, which));
        if (which == 1)
          [seconds, acquired_by] = record_to (file, frames);
          rec(r) = frames * frame_bytes / seconds;
          acq(r) = frames * frame_bytes / acquired_by;
        else
          plain(r) = frames * frame_bytes / qorin_bench_write (file, frame_bytes, frames);
        endif
        delete (file);
      endfor
    endfor
    printf ("%-6d %10.1f %12.0f %12.0f %8.2f %12.0f\n", depth, frames * frame_bytes / 1e6, median (rec) / 1e6, ...
            median (plain) / 1e6, median (rec ./ plain), median (acq) / 1e6);
    fflush (stdout);
    clear F
  endfor
  qorin_reset ();
endfunction

function setup (F, depth)
  qorin_reset ();
  [rws, cols] = size (F);
  qorinsim ("set", 1, "format", struct ("width", cols, "height", rws, "pixelFormat", depth == 16), ...
            "colour", false, "frame", F, "maxSize", [max(cols, 640) max(rws, 480)]);
  qorinsim ("property", 1, 80, 0);
  qorinsim ("set", 1, "timing", "immediate");
  qorincam (-1, 1);
endfunction

## Seconds from the start of a recording of `frames` frames into `file` to the stop that
## returns with every frame written.
function [seconds, acquired_by] = record_to (file, frames)
  start = tic ();
  qorincam ("startRecording", 1, "frames", frames, "buffer", frames, "file", file, "overwrite", true);
  qorincam ("waitFrames", 1, frames, 60);
  acquired_by = toc (start);
  qorincam ("stopRecording", 1);
  seconds = toc (start);
  s = qorincam ("recordingStatus", 1);
  if (s.written != frames || ! isempty (s.writeError))
    error ("recording_disk_bench: %d of %d frames written (%s)", s.written, frames, s.writeError);
  endif
endfunction

function remove_folder (dir)
  confirm_recursive_rmdir (false, "local");
  if (isfolder (dir))
    rmdir (dir, "s");
  endif
endfunction

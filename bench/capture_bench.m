## capture_bench - median time per frame of the capture commands against the simulated camera.
##
##   capture_bench ()            all sizes, 8 and 16 bit, 7 timed calls per figure
##   capture_bench (repeats, sizes, depths)
##
## Each capture (codes 76, 75, 7, 13 and 87 with N = 8, monochrome sensor, explicit frame,
## so the simulator's own work is one memcpy, and for code 75 a second one: its conversion
## logs the frame it is handed) is set beside
##   memcpy - a MEX call that only creates an array of the same size and memcpy's into it
##            (qorin_bench_memcpy, built with the benchmarks), and
##   octave - Octave's own conversion of the same raw row-major buffer (permute of the
##            reshaped buffer; for the RGB codes the planes replicated, for 16-bit samples
##            byte-exchanged and masked as the module does).
## Needs build/mex (qorincam, qorinsim, qorin_bench_memcpy) and tests/octave on the path.
function capture_bench (repeats = 7, sizes = [640 480; 1280 1024; 2048 1536; 4096 3072], depths = [8 16])
  printf ("%-6s %-10s %-6s %12s %12s %12s %10s %10s\n", "code", "size", "depth", ...
          "capture ms", "memcpy ms", "octave ms", "/memcpy", "octave/x");
  for depth = depths
    for s = 1:rows (sizes)
      cols = sizes(s, 1);  rws = sizes(s, 2);
      if (depth == 8)
        A = uint8 (randi ([0 255], rws, cols));
      else
        A = uint16 (randi ([0 65535], rws, cols));
      endif
      buffer = reshape (A.', [], 1);        # the SDK's raw buffer: rows one after the other
      setup (A, depth);

      cls = class (A);
      plane_copy = @() qorin_bench_memcpy (cls, rws, cols);
      rgb_copy = @() qorin_bench_memcpy (cls, rws, cols, 3);
      burst_copy = @() qorin_bench_memcpy (cls, rws, cols, 3, 8);
      octave_plane = @() permute (reshape (buffer, cols, rws), [2 1]);
      if (depth == 8)
        octave_rgb = @() repmat (permute (reshape (buffer, cols, rws), [2 1]), [1 1 3]);
      else
        octave_rgb = @() repmat (permute (reshape (bitand (swapbytes (buffer), 65520), cols, rws), [2 1]), [1 1 3]);
      endif

      t_plane = timed (plane_copy, repeats);
      t_rgb = timed (rgb_copy, repeats);
      t_burst = timed (burst_copy, repeats) / 8;
      t_oplane = timed (octave_plane, repeats);
      t_orgb = timed (octave_rgb, repeats);

      report (76, cols, rws, depth, timed (@() qorincam (76, 1), repeats), t_plane, t_oplane);
      report (75, cols, rws, depth, timed (@() qorincam (75, 1), repeats), t_plane, t_oplane);
      report (7, cols, rws, depth, timed (@() qorincam (7, 1), repeats), t_rgb, t_orgb);
      qorincam (1, 1);                     # stop the preview: the snapshots would restart it each time
      report (13, cols, rws, depth, timed (@() qorincam (13, 1), repeats), t_rgb, t_orgb);
      report (87, cols, rws, depth, timed (@() qorincam (87, 1, 8), repeats) / 8, t_burst, t_orgb);
      clear A buffer
    endfor
  endfor
  qorin_reset ();
endfunction

function setup (A, depth)
  qorin_reset ();
  [rws, cols] = size (A);
  qorinsim ("set", 1, "format", struct ("width", cols, "height", rws, "pixelFormat", depth == 16), ...
            "colour", false, "frame", A, "maxSize", [max(cols, 640) max(rws, 480)]);
  qorincam (-1, 1);
  qorincam (18, 1, depth == 16);           # the snapshot depth follows the video depth
  qorincam (0, 1);
endfunction

## Median wall time of `repeats` calls, in seconds, after one call to warm up.
function t = timed (f, repeats)
  r = f ();
  clear r
  times = zeros (1, repeats);
  for k = 1:repeats
    start = tic ();
    r = f ();
    times(k) = toc (start);
    clear r
  endfor
  t = median (times);
endfunction

function report (code, cols, rws, depth, t, t_memcpy, t_octave)
  printf ("%-6d %-10s %-6d %12.3f %12.3f %12.3f %10.2f %10.1f\n", code, sprintf ("%dx%d", cols, rws), depth, ...
          1e3 * t, 1e3 * t_memcpy, 1e3 * t_octave, t / t_memcpy, t_octave / t);
endfunction

## viewer_bench - what the live viewer (qorin.Viewer) costs and how fast it draws, per frame size and depth.
##
##   viewer_bench ()                  8 s per phase; 1280x1024 8-bit and 2048x1536 16-bit, colour and mono
##   viewer_bench (seconds, cases, cycles)
##
## Run in `octave --no-gui` under a display (Xvfb: xvfb-run -a -s "-screen 0 1600x1200x24"),
## so that the figure is drawn by the qt toolkit, as a user sees it.  Each case is a simulated
## camera at `rate` fps paced in real time ('timing' 'realtime'), showing its test chart.  Per
## case, two phases of `seconds` each:
##   alone   - the viewer's kind of recording (a buffer of 3 frames) with no viewer: the CPU
##             the recording and the simulator take;
##   viewer  - a viewer open on the camera and a script loop calling v.update () once per
##             frame period (1/30 s), as a script that keeps the view live does.
## and a third, when script(1) is there:
##   prompt  - an interactive Octave on a terminal of its own, its prompt waiting: the input
##             event hook drives the viewer (viewer_prompt_bench), as it does for a user.
## It prints, per case:
##   cpu alone, cpu viewer - the process's CPU time over the phase's wall time (1.0 = one core;
##             every thread: Octave's, qt's, the recording's and the software renderer's)
##   viewer    - cpu viewer - cpu alone: the viewer's share of one core
##   update ms - the median time of one v.update () that drew a new frame (the frame fetched,
##             the picture and, twice a second, the readouts computed and drawn)
##   shown/s   - distinct frames drawn per second
##   dropped   - frames the camera delivered that the viewer's recording missed
##   prompt: shown/s, cpu - the third phase's frames drawn per second and CPU share (with
##             the recording's: compare with cpu alone); its dropped frames are added above
## The X server draws in a process of its own, not counted here.
## Then `cycles` (50) viewers are opened and closed on the camera, and the process's resident
## memory, its threads and the figures left are printed every tenth of the cycles: flat when
## nothing is left behind.  In Octave the viewer's input event hook is removed by close; it
## has no list to count (the hook drives the viewer only while the prompt waits).
## Needs qorincam, qorinsim and tests/octave on the path.
function viewer_bench (seconds = 8, cases = {}, cycles = 50)
  if (isempty (cases))
    cases = {struct("size", [1280 1024], "depth", 8, "colour", true, "rate", 30), ...
             struct("size", [1280 1024], "depth", 8, "colour", false, "rate", 30), ...
             struct("size", [2048 1536], "depth", 16, "colour", true, "rate", 30), ...
             struct("size", [2048 1536], "depth", 16, "colour", false, "rate", 30)};
  endif
  printf ("viewer_bench: %s toolkit, %g s per phase, cores %d\n", graphics_toolkit (), seconds, nproc ());
  prompt = system ("which script > /dev/null") == 0;
  printf ("%-10s %-6s %-7s %5s %10s %10s %7s %10s %8s %8s %15s %11s\n", "size", "depth", "sensor", "fps", "cpu alone", ...
          "cpu viewer", "viewer", "update ms", "shown/s", "dropped", "prompt: shown/s", "prompt: cpu");
  for k = 1:numel (cases)
    c = cases{k};
    setup (c);
    alone = phase_alone (seconds);
    [busy, update_ms, shown, dropped] = phase_viewer (seconds);
    at_prompt = [NaN NaN 0];
    if (prompt)
      at_prompt = phase_prompt (seconds, c);
    endif
    sensor = "mono";
    if (c.colour)
      sensor = "colour";
    endif
    printf ("%-10s %-6d %-7s %5g %10.2f %10.2f %7.2f %10.1f %8.1f %8d %15.1f %11.2f\n", sprintf ("%dx%d", c.size), ...
            c.depth, sensor, c.rate, alone, busy, busy - alone, update_ms, shown, dropped + at_prompt(3), ...
            at_prompt(1), at_prompt(2));
    fflush (stdout);
  endfor
  if (cycles > 0)
    open_close (cycles);
  endif
  qorin_reset ();
endfunction

function setup (c)
  viewer_prompt_bench ("setup", [c.size c.depth c.colour c.rate]);
endfunction

function share = phase_alone (seconds)
  cam = qorin.Camera (1);
  cam.startRecording ("buffer", 3);
  cam.waitFrames (1, 5);
  [cpu, wall] = usage ();
  pause (seconds);
  [cpu2, wall2] = usage ();
  cam.stopRecording ();
  cam.flushFrames ();
  share = (cpu2 - cpu) / (wall2 - wall);
endfunction

function [share, update_ms, shown, dropped] = phase_viewer (seconds)
  cam = qorin.Camera (1);
  v = cam.view ();
  period = 1 / 30;
  ## A second to settle (the first frames, the renderer's start), then the measured phase.
  settle = tic ();
  while (toc (settle) < 1)
    v.update ();
    pause (period);
  endwhile
  times = [];
  last = -1;
  drawn = 0;
  [cpu, wall] = usage ();
  began = tic ();
  while (toc (began) < seconds)
    slot = tic ();
    v.update ();
    took = toc (slot);
    if (! isempty (v.frameInfo) && v.frameInfo.sequence != last)
      last = v.frameInfo.sequence;
      drawn += 1;
      times(end+1) = took;
    endif
    pause (max (0, period - toc (slot)));
  endwhile
  [cpu2, wall2] = usage ();
  s = cam.recordingStatus ();
  v.close ();
  share = (cpu2 - cpu) / (wall2 - wall);
  update_ms = 1000 * median (times);
  shown = drawn / (wall2 - wall);
  dropped = s.dropped;
endfunction

function result = phase_prompt (seconds, c)
  ## [shown per second, cpu, dropped] of an interactive Octave whose prompt waits.
  paths = sprintf ("addpath ('%s', '%s', '%s')", fileparts (which ("qorincam")), fileparts (which ("qorin_reset")), ...
                   fileparts (mfilename ("fullpath")));
  opening = sprintf ("%s; viewer_prompt_bench ('open', [%d %d %d %d %g])", paths, c.size, c.depth, c.colour, c.rate);
  octave = fullfile (OCTAVE_HOME (), "bin", "octave");
  command = sprintf (["(sleep %g; printf \"viewer_prompt_bench ('report')\\n\"; sleep 2; printf 'exit\\n') | " ...
                      "script -qfec \"'%s' --no-gui --norc --quiet --persist --eval \\\"%s\\\"\" /dev/null"], ...
                     seconds + 2, octave, opening);
  [~, out] = system (command);
  found = regexp (out, 'prompt: ([\d.]+) ([\d.]+) (\d+)', "tokens", "once");
  result = [NaN NaN 0];
  if (! isempty (found))
    result = str2double (found);
  endif
endfunction

function [cpu, wall] = usage ()
  ## The process's CPU seconds (every thread) and the wall clock.
  [total, user, system] = cputime ();
  cpu = total;
  wall = now () * 86400;
endfunction

function open_close (cycles)
  setup (struct ("size", [640 480], "depth", 8, "colour", true, "rate", 30));
  cam = qorin.Camera (1);
  printf ("\n%d viewers opened and closed on camera 1 (640x480, 30 fps), each showing 5 frames:\n", cycles);
  printf ("%6s %12s %8s %8s\n", "cycle", "resident MB", "threads", "figures");
  for k = 0:cycles
    if (k > 0)
      v = cam.view ();
      for j = 1:5
        v.update ();
        pause (1 / 30);
      endfor
      close (v.figure);
      clear v
    endif
    if (mod (k, max (1, round (cycles / 10))) == 0 || k == 1)
      printf ("%6d %12.1f %8d %8d\n", k, resident_mb (), numel (dir ("/proc/self/task")) - 2, ...
              numel (findall (0, "Type", "figure")));
      fflush (stdout);
    endif
  endfor
  printf ("recording after the last close: %d\n", cam.isRecording ());
endfunction

function mb = resident_mb ()
  text = fileread ("/proc/self/status");
  kb = str2double (regexp (text, 'VmRSS:\s*(\d+)', "tokens", "once"){1});
  mb = kb / 1024;
endfunction

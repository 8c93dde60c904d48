## viewer_prompt_bench - the viewer driven by Octave's prompt, as a user has it; run by viewer_bench.
##
##   viewer_prompt_bench ("setup", c)  sets the simulated camera up as viewer_bench's case c
##                                     ([width height depth colour rate])
##   viewer_prompt_bench ("open", c)   sets it up, opens a viewer and returns to the prompt,
##                                     whose input event hook then drives the viewer
##   viewer_prompt_bench ("report")    prints one line: "prompt: <shown per second> <cpu>
##                                     <dropped> <seconds>" since the open, and closes it
## viewer_bench runs both in an interactive `octave --no-gui --persist` on a terminal of its
## own (script(1)), which types the second command after the measured time: readline then
## waits for input in between, calling the hook every 0.1 s.
function viewer_prompt_bench (action, c)
  global qorin_prompt_bench
  switch (action)
    case "setup"
      qorin_reset ();
      qorinsim ("set", 1, "maxSize", max (c(1:2), [1280 1024]), "colour", logical (c(4)), "timing", "realtime", ...
                "format", struct ("width", c(1), "height", c(2), "pixelFormat", c(3) == 16, "frameRate", c(5)));
      qorinsim ("property", 1, 80, double (c(4)));
    case "open"
      viewer_prompt_bench ("setup", c);
      cam = qorin.Camera (1);
      v = cam.view ();
      pause (1);
      qorin_prompt_bench = struct ("v", v, "shown", v.framesShown, "cpu", cputime (), "wall", tic ());
    case "report"
      b = qorin_prompt_bench;
      seconds = toc (b.wall);
      shown = (b.v.framesShown - b.shown) / seconds;
      cpu = (cputime () - b.cpu) / seconds;
      s = b.v.camera.recordingStatus ();
      b.v.close ();
      printf ("prompt: %.1f %.2f %d %.1f\n", shown, cpu, s.dropped, seconds);
  endswitch
endfunction

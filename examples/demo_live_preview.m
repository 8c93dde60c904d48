function demo_live_preview (out_dir)
  % DEMO_LIVE_PREVIEW  a live preview whose exposure and gain change while it runs.
  %   demo_live_preview (out_dir) connects camera 1, starts its preview, grabs a frame at
  %   three exposures and two gains, prints how bright each one is and writes them side by
  %   side into out_dir/live_preview.png (default: the current folder).
  %   Runs against a real camera or, headless, against the simulator.
  if nargin < 1
    out_dir = pwd ();
  end
  cam = qorin.Camera (1);
  cam.frameSize = [320 240];
  cam.preview ();
  fprintf ('previewing camera 1 at %g fps, exposure range %s\n', cam.frameRate, mat2str (cam.range ('exposure')'));

  settings = [15 2; 60 2; 240 2; 60 8];   % exposure, gain
  strip = [];
  for k = 1:size (settings, 1)
    cam.exposure = settings(k, 1);
    cam.gain = settings(k, 2);
    frame = cam.grab ('rgb');
    fprintf ('exposure %5g  gain %2g  mean level %6.1f\n', cam.exposure, cam.gain, mean (double (frame(:))));
    strip = [strip, frame];  %#ok<AGROW>
  end
  cam.stopPreview ();
  file = fullfile (out_dir, 'live_preview.png');
  imwrite (strip, file);
  fprintf ('frames written side by side to %s\n', file);
end

function demo_fast_frames (out_dir, n)
  % DEMO_FAST_FRAMES  a burst of fast frames saved as a numbered image sequence.
  %   demo_fast_frames (out_dir, n) takes n (default 8) frames back to back with the
  %   snapshot settings of camera 1 and writes them as out_dir/burst_001.png, ...
  %   (default folder: the current one).
  if nargin < 1
    out_dir = pwd ();
  end
  if nargin < 2
    n = 8;
  end
  cam = qorin.Camera (1);
  cam.frameSize = [640 480];
  cam.setSnapshotExposure (30);
  cam.setSnapshotGain (2);
  tic ();
  frames = cam.fastFrames (n);        % [rows, cols, 3, n]
  fprintf ('%d frames of %dx%d in %.3f s\n', n, size (frames, 2), size (frames, 1), toc ());
  for k = 1:n
    imwrite (frames(:, :, :, k), fullfile (out_dir, sprintf ('burst_%03d.png', k)));
  end
  fprintf ('written to %s\n', fullfile (out_dir, 'burst_###.png'));
end

function demo_sync_two_cameras (out_dir)
  % DEMO_SYNC_TWO_CAMERAS  synchronous snapshots from two cameras, side by side in one PNG.
  %   demo_sync_two_cameras (out_dir) connects cameras 1 and 2, takes one synchronous
  %   snapshot from both and writes them side by side to out_dir/sync_pair.png (default:
  %   the current folder).  Against the simulator it plugs in a second camera first.
  if nargin < 1
    out_dir = pwd ();
  end
  about = qorin.info ();
  if strcmp (about.sdk, 'simulator') && about.cameras < 2
    qorinsim ('attach', 2);           % the simulator: a second camera
  end
  list = qorin.cameras ();
  for k = 1:numel (list)
    fprintf ('camera %d: serial %s, firmware %s\n', list(k).camera, list(k).version.SN, list(k).version.Firmware);
  end
  left = qorin.Camera (1);
  right = qorin.Camera (2);
  left.frameSize = [640 480];        % synchronous snapshots need equal widths
  right.frameSize = [640 480];
  left.setSnapshotExposure (60);
  right.setSnapshotExposure (120);   % brighter, to tell them apart
  frames = qorin.syncSnapshots ();   % [rows, cols, 3, 2] in connection order
  pair = [frames(:, :, :, 1), frames(:, :, :, 2)];
  file = fullfile (out_dir, 'sync_pair.png');
  imwrite (pair, file);
  fprintf ('cameras %d and %d side by side (%dx%d) in %s\n', left.number, right.number, size (pair, 2), size (pair, 1), file);
end

function demo_first_snapshot (png_file)
  % DEMO_FIRST_SNAPSHOT  connect camera 1, preview it, take a snapshot and save it as a PNG.
  %   demo_first_snapshot (png_file) writes the snapshot to png_file (default:
  %   qorincam_snapshot.png in the current folder).  It calls the module directly, with
  %   the command codes by name from qorin.cmd; qorin.Camera does the same in fewer lines.
  %   Runs against a real camera or, headless, against the simulator (what scripts/demo.sh
  %   runs).
  if nargin < 1
    png_file = fullfile (pwd (), 'qorincam_snapshot.png');
  end
  about = qorin.info ();
  simulator = strcmp (about.sdk, 'simulator');   % or the maker's SDK, with a camera
  fprintf ('SDK: %s, loaded from %s\n', about.sdk, about.sdkLibrary);

  fprintf ('cameras attached: %d\n', qorincam (qorin.cmd.COUNT_CAMERAS));
  qorincam (qorin.cmd.CONNECT, 1);
  fprintf ('camera 1 connected: %d\n', qorincam (qorin.cmd.IS_CONNECTED, 1));
  qorincam (qorin.cmd.START_PREVIEW, 1);
  report_stream (simulator, 'camera 1 previewing');
  size_wh = qorincam (qorin.cmd.GET_FRAME_SIZE, 1);
  fprintf ('frame size: %d x %d\n', size_wh(1), size_wh(2));
  picture = qorincam (qorin.cmd.TAKE_SNAPSHOT, 1);
  fprintf ('snapshot: %s array of %s\n', class (picture), mat2str (size (picture)));
  qorincam (qorin.cmd.STOP_PREVIEW, 1);
  report_stream (simulator, 'preview stopped');
  qorincam (qorin.cmd.DISCONNECT, 1);
  imwrite (picture, png_file);
  fprintf ('snapshot written to %s\n', png_file);
end

function report_stream (simulator, what)
  % Prints what, with the state of camera 1's stream when the simulator can tell it.
  if simulator
    fprintf ('%s (stream running: %d)\n', what, qorinsim ('get', 1, 'streaming'));
  else
    fprintf ('%s\n', what);
  end
end

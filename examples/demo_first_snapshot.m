## demo_first_snapshot - connects the simulated camera, previews it, takes a snapshot and saves it as a PNG.
##
## Runs headless against the simulator shipped with the module:
##   addpath build/mex; addpath examples; demo_first_snapshot
function demo_first_snapshot (png_file)
  if (nargin < 1)
    png_file = fullfile (pwd (), "qorincam_snapshot.png");
  endif
  CONNECT = -1; DISCONNECT = -2; START_PREVIEW = 0; STOP_PREVIEW = 1;
  IS_CONNECTED = 6; COUNT = 37; TAKE_SNAPSHOT = 13; GET_FRAME_SIZE = 12;

  printf ("cameras attached: %d\n", qorincam (COUNT));
  qorincam (CONNECT, 1);
  printf ("camera 1 connected: %d\n", qorincam (IS_CONNECTED, 1));
  qorincam (START_PREVIEW, 1);
  printf ("camera 1 previewing (stream running: %d)\n", qorinsim ("get", 1, "streaming"));
  size_wh = qorincam (GET_FRAME_SIZE, 1);
  printf ("frame size: %d x %d\n", size_wh(1), size_wh(2));
  picture = qorincam (TAKE_SNAPSHOT, 1);
  printf ("snapshot: %s array of %s\n", class (picture), mat2str (size (picture)));
  qorincam (STOP_PREVIEW, 1);
  printf ("preview stopped (stream running: %d)\n", qorinsim ("get", 1, "streaming"));
  qorincam (DISCONNECT, 1);
  imwrite (picture, png_file);
  printf ("snapshot written to %s\n", png_file);
endfunction

function demo_live_view_in_figure (out_dir, updates)
  % DEMO_LIVE_VIEW_IN_FIGURE  a live view of camera 1 drawn in a figure from a running recording.
  %   demo_live_view_in_figure (out_dir, updates) records camera 1's video stream into a
  %   small buffer and updates a figure updates times (default 30) with the newest frame,
  %   which peekFrame shows without taking it.  Then it stops the recording, prints how
  %   many distinct frames it showed and writes the last one to out_dir/live_view.png
  %   (default folder: the current one).  Without a screen the figure is invisible; where
  %   no figure can be made at all (Octave without a graphics toolkit) the frames are
  %   fetched and counted but not drawn.  Against the simulator the camera delivers its
  %   frames at the frame rate, as a camera does.
  if nargin < 1
    out_dir = pwd ();
  end
  if nargin < 2
    updates = 30;
  end
  about = qorin.info ();
  if strcmp (about.sdk, 'simulator')
    qorinsim ('set', 1, 'timing', 'realtime');   % the simulator: frames at the frame rate
  end
  cam = qorin.Camera (1);
  cam.frameSize = [320 240];
  rate = cam.frameRate;

  fig = [];
  picture = [];
  try
    visible = 'on';
    screen = get (0, 'ScreenSize');
    if all (screen(3:4) <= 1)                     % no screen: MATLAB -nodisplay, Octave --no-window-system
      visible = 'off';
    end
    fig = figure ('Visible', visible, 'Name', 'camera 1, live');
    picture = image (zeros (240, 320, 3, 'uint8'));
    axis image off
  catch err
    fprintf ('no figure (%s): frames are counted, not drawn\n', err.message);
  end

  % A live view needs only the newest frames: four in the buffer, the older ones overwritten.
  cam.startRecording ('buffer', 4);
  if ~cam.waitFrames (1, 5)
    error ('demo_live_view_in_figure:noFrame', 'Camera 1 delivered no frame within 5 s.');
  end
  shown = 0;
  last = 0;
  for k = 1:updates
    [frame, meta] = cam.peekFrame ('rgb');
    if meta.sequence ~= last
      last = meta.sequence;
      img = frame;
      shown = shown + 1;
      if ~isempty (picture)
        set (picture, 'CData', frame);
        title (sprintf ('frame %d at %.2f s', meta.sequence, meta.timestamp));
        drawnow;
      end
    end
    pause (1 / rate);                             % about one new frame per update
  end
  cam.stopRecording ();
  s = cam.recordingStatus ();
  fprintf ('%d updates showed %d distinct frames of %d recorded\n', updates, shown, s.acquired);
  if ~isempty (fig)
    close (fig);
  end

  file = fullfile (out_dir, 'live_view.png');
  imwrite (img, file);
  fprintf ('last frame shown written to %s\n', file);
end

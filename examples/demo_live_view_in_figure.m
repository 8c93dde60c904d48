function demo_live_view_in_figure (out_dir, updates)
  % DEMO_LIVE_VIEW_IN_FIGURE  a live view of camera 1 drawn in a figure from a running recording.
  %   demo_live_view_in_figure (out_dir, updates) records camera 1's video stream into a
  %   small buffer and updates a figure up to updates times (default 30) with the newest
  %   frame, which peekFrame shows without taking it; closing the figure ends the view
  %   early.  Then it stops the recording, prints how many distinct frames it showed and
  %   writes the last one to out_dir/live_view.png (default folder: the current one).  A
  %   monochrome camera is shown in grey levels.  Without a screen the figure is invisible;
  %   where no figure can be made at all (Octave without a graphics toolkit) the frames are
  %   fetched and counted but not drawn.  The recording stops however the demo ends: the
  %   figure closed, an error, or Ctrl+C.  Against the simulator the camera delivers its
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
  colourFormat = cam.property (80);               % property 80, the colour format: 0 for monochrome
  if colourFormat(1) == 0
    kind = 'mono';
  else
    kind = 'rgb';
  end

  % A live view needs only the newest frames: four in the buffer, the older ones overwritten.
  cam.startRecording ('buffer', 4);
  stopping = onCleanup (@() stop_recording (cam));
  if ~cam.waitFrames (1, 5)
    error ('demo_live_view_in_figure:noFrame', 'Camera 1 delivered no frame within 5 s.');
  end
  [img, meta] = cam.peekFrame (kind);

  fig = [];
  picture = [];
  try
    visible = 'on';
    screen = get (0, 'ScreenSize');
    if all (screen(3:4) <= 1)                     % no screen: MATLAB -nodisplay, Octave --no-window-system
      visible = 'off';
    end
    fig = figure ('Visible', visible, 'Name', 'camera 1, live');
    picture = image (img);
    ax = get (picture, 'Parent');
    if strcmp (kind, 'mono')
      % Grey levels over the whole range of the samples, 8 or 16 bits.
      set (picture, 'CDataMapping', 'scaled');
      set (ax, 'CLim', [0 double(intmax (class (img)))]);
      colormap (ax, gray (256));
    end
    axis (ax, 'image', 'off');
    label = title (ax, '');                   % one title, its text updated per frame
  catch err
    fprintf ('no figure (%s): frames are counted, not drawn\n', err.message);
    picture = [];
  end
  % MATLAB draws at most 20 times a second with limitrate; Octave's drawnow has no such option.
  if exist ('OCTAVE_VERSION', 'builtin')
    draw = @() drawnow ();
  else
    draw = @() drawnow ('limitrate');
  end

  shown = 0;
  last = 0;
  done = 0;
  while done < updates && (isempty (picture) || isgraphics (picture))
    done = done + 1;
    [frame, meta] = cam.peekFrame (kind);
    if meta.sequence ~= last
      last = meta.sequence;
      img = frame;
      shown = shown + 1;
      if ~isempty (picture)
        set (picture, 'CData', frame);
        set (label, 'String', sprintf ('frame %d at %.2f s', meta.sequence, meta.timestamp));
        draw ();
      end
    end
    pause (1 / rate);                             % about one new frame per update
  end
  cam.stopRecording ();
  s = cam.recordingStatus ();
  fprintf ('%d updates showed %d distinct frames of %d recorded\n', done, shown, s.acquired);
  if ~isempty (fig) && isgraphics (fig)
    close (fig);
  end

  file = fullfile (out_dir, 'live_view.png');
  imwrite (img, file);
  fprintf ('last frame shown written to %s\n', file);
end

function stop_recording (cam)
  % However the demo ends; a recording stopped already is left as it is.
  try
    cam.stopRecording ();
  catch
  end
end

classdef Viewer < handle
  % VIEWER  a live view of one camera in a figure: the picture, its readouts and the camera's controls.
  %
  %   v = qorin.Viewer (cam)   opens a viewer on the qorin.Camera cam (cam.view () does the
  %                            same, or brings the camera's open viewer to the front).
  %
  %   The viewer records the camera's video into a buffer of a few frames (frames overwritten,
  %   so it never queues behind the camera) and draws the newest raw frame (peekFrame 'raw',
  %   which never waits for the camera) up to about 30 times a second, at the screen's
  %   resolution, while the command line stays free: a timer drives it in MATLAB, the
  %   prompt's input event hook in Octave (which runs only while the prompt waits: a script
  %   that wants the view live calls v.update () in its own loop).  A camera that already
  %   records when the viewer opens or starts is shown through peekFrame and its recording is
  %   left alone: the controls that would stop it (frame rate, 16-bit, region, Record) are
  %   off until it ends.
  %
  %   While the viewer records, commands that need the camera's stream (snapshots, grabs,
  %   frame size, startRecording, ...) are refused with the module's "Camera 1 is recording."
  %   message: v.stop () first, then v.start () to view again; a recording started in between
  %   is then shown, not stopped.
  %
  %   Picture: a monochrome sensor in grey over the whole 8- or 16-bit range; a colour
  %   sensor's mosaic with each 2x2 cell one pixel of its red, first green and blue samples
  %   (the SDK's colour processing is what a snapshot has); "Saturated" marks in red the
  %   pixels with a sample at full scale.  Zoom and pan as in any axes.  Readouts, twice a
  %   second, of the raw samples: frames per second measured and set, frames dropped, the
  %   frame size and depth, minimum, maximum and mean, a histogram per colour with the
  %   saturated share, and the sample under the pointer.  Controls: exposure and gain
  %   (slider and box, within the camera's ranges), one-shot automatic exposure and white
  %   balance (colour sensors), the frame rate, 16-bit video, a region of interest drawn on
  %   the picture ("Region", then drag) and "Full frame".  Each control shows what the
  %   camera reports after a change.  A change of geometry stops the viewer's recording,
  %   applies the change and starts it again.  A camera error stops the updates and is shown
  %   in the message line until "Live" is pressed (or v.start ()).
  %
  %   v.update ()         draws the newest frame now (what the timer or hook calls)
  %   v.stop (), v.start ()  stops the viewer's recording (the figure stays) and starts it again
  %   file = v.snapshot (file)  writes the newest frame as the module converts it, RGB or
  %                       grey, uint8 or uint16 (PNG or TIFF by the name; without a name:
  %                       an auto-named file in v.folder, or a file the user picks)
  %   v.record (file), v.stopRecord ()  records to a multipage TIFF through the recording
  %                       (frames, time and pages written are shown as it goes)
  %   v.setRegion ([x y width height]), v.fullFrame ()  the region of interest
  %   v.close (), close (v.figure) or the window's close button: the viewer's recording
  %                       stops; the camera stays connected and as it was set.
  %
  %   Properties: camera, figure, frame and frameInfo (the raw frame drawn last, its
  %   sequence, timestamp and missed), framesShown, message, mode ('live', 'record', 'watch'
  %   or 'stopped'), ticker (the timer, or the hook's id; [] once closed); settable:
  %   showSaturated, folder (where auto-named snapshots and recordings go; '' asks each
  %   time), snapshotFormat ('png' or 'tif').

  properties (SetAccess = private)
    camera = [];       % the qorin.Camera shown
    figure = [];       % the figure's handle; [] once closed
    frame = [];        % the newest frame drawn, raw, as peekFrame returned it
    frameInfo = [];    % its sequence, timestamp and missed
    message = '';      % the message line: the last error or note
    mode = 'stopped';  % 'live', 'record' (the viewer's recordings), 'watch' (another one) or 'stopped'
    framesShown = 0;   % frames drawn since the viewer opened
    ticker = [];       % what calls update: a timer (MATLAB) or the input event hook's id (Octave)
  end

  properties
    folder = '';            % where Snapshot and Record put auto-named files; '' asks for a file
    snapshotFormat = 'png'; % 'png' or 'tif': the auto-named snapshots' format
  end

  properties (Dependent)
    showSaturated           % true: pixels at full scale are drawn red
  end

  properties (Access = private)
    ui = struct ();         % the figure's parts by name
    closed = false;         % set once by close: nothing starts after it
    busy = false;           % an update or a change runs: the timer's ticks pass
    kind = 'rgb';           % what a snapshot writes: 'rgb' for a colour sensor, 'mono'
    colour = true;          % the sensor delivers a colour mosaic
    mosaic = '';            % the raw frames' 2x2 colour pattern ('' for monochrome)
    flipping = 0;           % the camera's flipping (property 66), which orients the frames
    saturated = false;      % draw saturated pixels red
    maxSize = [0 0];        % the sensor's width and height
    frameRate = 0;          % the rate set, frames per second
    shownSequence = 0;      % sequence of the frame drawn last
    shownSize = [0 0];      % rows and columns the axes were set up for
    ownStart = NaN;         % startPosixTime of the viewer's own recording
    ownFrames = false;      % the camera's ended recording is the viewer's: its frames go at the close
    recordFile = '';        % the file of a Record
    recordTic = [];         % when the Record started (tic)
    readoutTic = [];        % when the readouts were last updated (tic)
    readoutFrame = [];      % [sequence timestamp] of the frame at the last readout
    drawnSince = 0;         % frames drawn since the last readout
    pixels = [640 480];     % the picture's axes in screen pixels
    dragStart = [];         % a region drag's first corner, in frame pixels
    limits = struct ('exposure', [0 0], 'gain', [0 0]);  % the ranges the camera reports
    octave = false;         % the host is Octave: input event hook, drawnow without limitrate
  end

  properties (Constant, Access = private)
    period = 1 / 30;          % seconds between updates: about the display's rate
    readoutPeriod = 0.5;      % seconds between readouts
    hookSpan = 0.1;           % Octave: seconds a hook call may hold the prompt, drawing frames
    liveBuffer = 3;           % frames in the live view's buffer
    recordSeconds = 2;        % a Record's buffer holds this many seconds of frames,
    recordBytes = 512e6;      %   in at most this many bytes
    histogramSamples = 65536; % pixels the histogram and mean are computed from, at most
    exposurePower = 3;        % the exposure slider's scale: value ~ position ^ 3
    autoTarget = 128;         % mean level the one-shot automatic exposure aims at (0..255)
  end

  methods

    function obj = Viewer (cam)
      if (nargin < 1 || ~isa (cam, 'qorin.Camera') || ~isscalar (cam))
        error ('qorin:viewer', 'qorin.Viewer needs one qorin.Camera: v = qorin.Viewer (cam).');
      end
      if (~isempty (qorin.Viewer.forCamera (cam.number)))
        error ('qorin:viewer', 'Camera %d already has a viewer; cam.view () brings it to the front.', cam.number);
      end
      if (~cam.isConnected ())
        error ('qorin:viewer', 'Camera %d is not connected.', cam.number);
      end
      obj.camera = cam;
      obj.octave = exist ('OCTAVE_VERSION', 'builtin') > 0;
      try
        obj.readSensor ();
        obj.build ();
        obj.readSettings ();
      catch err
        obj.close ();
        rethrow (err);
      end
      obj.startLive ();
      obj.startTicker ();
    end

    function delete (obj)
      obj.close ();
    end

    function close (obj)
      % Stops the ticker, the viewer's own recording and the figure, in that order, whatever
      % state the viewer is in; the camera keeps its settings and its connection.
      if (obj.closed)
        return;
      end
      obj.closed = true;
      obj.stopTicker ();
      obj.stopOwn ();
      % The viewer's frames, which nobody takes, go with it.
      try
        if (obj.ownFrames && ~obj.camera.isRecording ())
          obj.camera.flushFrames ();
        end
      catch
      end
      fig = obj.figure;
      obj.figure = [];
      if (~isempty (fig) && isgraphics (fig))
        % The figure's callbacks and data hold the viewer, and through it the camera: let go
        % of them before the figure goes, which a toolkit may finish later (Octave's qt then
        % ran the camera's delete in the middle of another command).
        rmappdata (fig, 'qorinViewer');
        set (findall (fig, 'Type', 'uicontrol'), 'Callback', '');
        set (fig, 'CloseRequestFcn', '', 'DeleteFcn', '', 'WindowButtonMotionFcn', '', ...
             'WindowButtonDownFcn', '', 'WindowButtonUpFcn', '');
        if (strcmp (get (fig, 'BeingDeleted'), 'off'))
          delete (fig);
        end
      end
      obj.ui = struct ();
    end

    function update (obj)
      % Draws the newest frame now and, every half second, the readouts.
      if (obj.closed || obj.busy || strcmp (obj.mode, 'stopped'))
        return;
      end
      obj.busy = true;
      try
        obj.refresh ();
      catch err
        obj.fault (err);
      end
      obj.busy = false;
      obj.flush ();
    end

    function stop (obj)
      % Stops the viewer's recording (a recording of another is left running) and the updates.
      obj.stopOwn ();
      obj.mode = 'stopped';
      obj.showMode ();
    end

    function start (obj)
      % Reads the camera's settings again and views it: through a recording of its own, or
      % through the one that runs.
      if (obj.closed)
        return;
      end
      obj.stop ();
      obj.say ('');
      obj.readSettings ();
      obj.startLive ();
    end

    function file = snapshot (obj, file)
      % Writes the newest frame as the module converts it (RGB from a colour sensor, grey
      % from a monochrome one; uint8 or uint16): to file, to an auto-named file in the
      % folder, or to a file the user picks.  Works while the view is stopped, on the last
      % frame of the recording.
      [img, info] = obj.camera.peekFrame (obj.kind);
      if (isempty (img))
        error ('qorin:viewer', 'Camera %d has delivered no frame yet.', obj.camera.number);
      end
      if (nargin < 2 || isempty (file))
        file = obj.outputFile (obj.snapshotFormat, 'Save the frame');
        if (isempty (file))
          return;
        end
      end
      file = qorin.Viewer.text (file);
      imwrite (img, file);
      obj.say (sprintf ('Frame %d written to %s', info.sequence, file));
    end

    function record (obj, file)
      % Records to a multipage TIFF: the file given, an auto-named one in the folder, or one
      % the user picks (which may replace an existing file).
      if (~any (strcmp (obj.mode, {'live', 'stopped'})))
        error ('qorin:viewer', 'Camera %d is recording already; stop that recording first.', obj.camera.number);
      end
      overwrite = false;
      if (nargin < 2 || isempty (file))
        [file, overwrite] = obj.outputFile ('tif', 'Record to');
        if (obj.closed)
          return;   % closed while the dialog waited: nothing may start now
        end
        if (isempty (file))
          obj.showMode ();
          return;
        end
      end
      file = qorin.Viewer.text (file);
      obj.busy = true;
      try
        obj.stopOwn ();
        size2 = obj.camera.frameSize;
        bytes = size2(1) * size2(2) * (1 + obj.camera.video16Bit);
        frames = max (8, min (ceil (qorin.Viewer.recordSeconds * obj.frameRate), ...
                              floor (qorin.Viewer.recordBytes / bytes)));
        s = obj.startOwn ('buffer', frames, 'file', file, 'overwrite', overwrite);
        obj.recordFile = s.file;
        obj.recordTic = tic;
        obj.restartReadouts ();
        obj.mode = 'record';
        obj.say (sprintf ('Recording to %s', s.file));
      catch err
        obj.say (err.message, true);
        obj.busy = false;
        obj.startLive ();
        return;
      end
      obj.busy = false;
      obj.showMode ();
    end

    function stopRecord (obj)
      % Ends a Record (its file complete) and goes back to the live view.
      if (~strcmp (obj.mode, 'record'))
        return;
      end
      obj.busy = true;
      note = '';
      try
        obj.camera.stopRecording ();
        s = obj.camera.recordingStatus ();
        note = sprintf ('Recorded %d frames to %s: %d pages written, %d not written', ...
                        s.acquired, s.file, s.written, s.notWritten);
      catch err
        note = err.message;
      end
      obj.mode = 'stopped';
      obj.busy = false;
      obj.startLive ();
      obj.say (note);
    end

    function setRegion (obj, region)
      % [x y width height]: the offset and size of the frame on the sensor.
      region = double (region);
      obj.changeGeometry (@() obj.applyRegion (region(1:2), region(3:4)));
    end

    function fullFrame (obj)
      obj.changeGeometry (@() obj.applyRegion ([0 0], obj.maxSize));
    end

    function tf = get.showSaturated (obj)
      tf = obj.saturated;
    end

    function set.showSaturated (obj, tf)
      obj.saturated = logical (tf);
      if (isfield (obj.ui, 'saturated') && isgraphics (obj.ui.saturated))
        set (obj.ui.saturated, 'Value', double (obj.saturated));
      end
      obj.shownSequence = 0;   % redraw the frame with or without the marks
    end

    function set.folder (obj, name)
      obj.folder = qorin.Viewer.text (name);
      if (isfield (obj.ui, 'folder') && isgraphics (obj.ui.folder))
        set (obj.ui.folder, 'String', obj.folderText ());
      end
    end

    function set.snapshotFormat (obj, format)
      format = lower (qorin.Viewer.text (format));
      if (~any (strcmp (format, {'png', 'tif'})))
        error ('qorin:viewer', 'snapshotFormat must be ''png'' or ''tif''.');
      end
      obj.snapshotFormat = format;
      if (isfield (obj.ui, 'format') && isgraphics (obj.ui.format))
        set (obj.ui.format, 'Value', 1 + strcmp (format, 'tif'));
      end
    end

  end

  methods (Static)

    function v = forCamera (number)
      % The open viewer of camera number, or [].
      v = [];
      figures = findall (0, 'Type', 'figure', 'Tag', 'qorin.Viewer');
      for k = 1:numel (figures)
        candidate = getappdata (figures(k), 'qorinViewer');
        if (~isempty (candidate) && candidate.camera.number == number)
          v = candidate;
          return;
        end
      end
    end

    function [cdata, xdata, ydata] = displayPicture (raw, region, stride, markSaturated, mosaic)
      % The uint8 RGB picture the axes draw of the raw frame's region [firstRow lastRow
      % firstColumn lastColumn], one pixel per stride x stride block of samples, with the
      % image's XData and YData.  mosaic '' is a monochrome frame, drawn grey; else the 2x2
      % pattern of a colour mosaic ('RGGB', ...), whose cells give red, their first green and
      % blue (stride and region then in whole cells).  markSaturated paints red every block
      % that holds a sample at full scale.
      full = double (intmax (class (raw)));
      if (~isempty (mosaic))
        stride = 2 * max (1, round (stride / 2));
        region = [region(1) - 1 + mod(region(1), 2), region(2) - mod(region(2), 2), ...
                  region(3) - 1 + mod(region(3), 2), region(4) - mod(region(4), 2)];
        region([2 4]) = max (region([2 4]), region([1 3]) + 1);
      end
      rowsAt = region(1):stride:region(2);
      colsAt = region(3):stride:region(4);
      if (isempty (mosaic))
        grey = qorin.Viewer.eightBits (raw(rowsAt, colsAt));
        cdata = cat (3, grey, grey, grey);
      else
        % Sample k of a cell (1 to 4, row by row) is at row + (k > 2), column + even (k).
        at = @(k) qorin.Viewer.eightBits (raw(rowsAt + (k > 2), colsAt + 1 - mod (k, 2)));
        cdata = cat (3, at (find (mosaic == 'R')), at (find (mosaic == 'G', 1)), at (find (mosaic == 'B')));
      end
      if (markSaturated)
        hit = raw(region(1):region(2), region(3):region(4)) == full;
        if (stride > 1)
          % A block is saturated when any of its samples is: pad to whole blocks, fold.
          blocks = [numel(rowsAt), numel(colsAt)];
          padded = false (blocks * stride);
          padded(1:size (hit, 1), 1:size (hit, 2)) = hit;
          hit = reshape (any (any (reshape (padded, stride, blocks(1), stride, blocks(2)), 1), 3), blocks);
        end
        red = cdata(:, :, 1);
        red(hit) = 255;
        green = cdata(:, :, 2);
        green(hit) = 0;
        blue = cdata(:, :, 3);
        blue(hit) = 0;
        cdata = cat (3, red, green, blue);
      end
      centre = (stride - 1) / 2;
      xdata = [colsAt(1), colsAt(end)] + centre;
      ydata = [rowsAt(1), rowsAt(end)] + centre;
    end

    function mosaic = mosaicPattern (colour, flipping, rowsColumns)
      % The 2x2 colour pattern of a raw frame as the recording delivers it ('' for a
      % monochrome sensor): the sensor's RGGB in readout order, its rows reversed (a colour
      % sensor reads out bottom first), its columns reversed with flipping 1 or 3; a reversal
      % changes the pattern when that side has an even number of samples.
      mosaic = '';
      if (~colour)
        return;
      end
      mosaic = 'RGGB';
      if (mod (rowsColumns(1), 2) == 0)
        mosaic = mosaic([3 4 1 2]);
      end
      if ((flipping == 1 || flipping == 3) && mod (rowsColumns(2), 2) == 0)
        mosaic = mosaic([2 1 4 3]);
      end
    end

    function stride = displayStride (extent, pixels)
      % Frame pixels per screen pixel, whole: extent [rows columns] shown in pixels [width height].
      stride = max (1, round (min (extent(2) / max (pixels(1), 1), extent(1) / max (pixels(2), 1))));
    end

    function region = visibleRegion (xlim, ylim, rowsColumns)
      % [firstRow lastRow firstColumn lastColumn] of a frame of rowsColumns inside the limits.
      region = [max(1, ceil (ylim(1) - 0.5)), min(rowsColumns(1), floor (ylim(2) + 0.5)), ...
                max(1, ceil (xlim(1) - 0.5)), min(rowsColumns(2), floor (xlim(2) + 0.5))];
      if (region(2) < region(1) || region(4) < region(3))
        region = [1 rowsColumns(1) 1 rowsColumns(2)];
      end
    end

    function r = frameReadouts (raw, mosaic)
      % Of a raw frame (mosaic as displayPicture takes it): the minimum and maximum sample,
      % the share of samples at full scale, and the mean and a 256-bin histogram of each
      % channel (red, green, blue of a mosaic; grey) over a regular sample of at most
      % histogramSamples cells.  Fields low, high, saturated, mean, counts (256 x channels),
      % full.
      full = double (intmax (class (raw)));
      r.full = full;
      r.low = double (min (raw(:)));
      r.high = double (max (raw(:)));
      r.saturated = nnz (raw == full) / numel (raw);
      cell = 1 + ~isempty (mosaic);
      step = cell * max (1, ceil (sqrt (numel (raw) / cell ^ 2 / qorin.Viewer.histogramSamples)));
      if (isempty (mosaic))
        channels = {raw(1:step:end, 1:step:end)};
      else
        last = size (raw) - mod (size (raw), 2);
        at = @(k) raw((1 + (k > 2)):step:last(1), (2 - mod (k, 2)):step:last(2));
        greens = find (mosaic == 'G');
        channels = {at(find (mosaic == 'R')), [at(greens(1)), at(greens(2))], at(find (mosaic == 'B'))};
      end
      r.counts = zeros (256, numel (channels));
      r.mean = 0;
      for c = 1:numel (channels)
        values = double (channels{c}(:));
        r.mean = r.mean + mean (values) / numel (channels);
        r.counts(:, c) = accumarray (floor (values * (256 / (full + 1))) + 1, 1, [256 1]);
      end
    end

    function value = sliderValue (position, range, power)
      % The value a slider at position 0..1 stands for: range(1) + span * position ^ power.
      value = range(1) + (range(2) - range(1)) * min (max (position, 0), 1) ^ power;
    end

    function position = sliderPosition (value, range, power)
      if (range(2) <= range(1))
        position = 0;
        return;
      end
      position = min (max ((value - range(1)) / (range(2) - range(1)), 0), 1) ^ (1 / power);
    end

    function [offset, extent] = regionFromDrag (a, b, offset, frameColumnsRows, maxSize, step)
      % The offset and size on the sensor of the rectangle dragged from point a to point b
      % ([x y] in the frame's pixels, 1-based) on a frame at offset; each end kept on whole
      % steps (2 on a colour mosaic, whose phase must not change) and within the sensor.
      x = sort (round ([a(1) b(1)]));
      y = sort (round ([a(2) b(2)]));
      x = min (max (x, 1), frameColumnsRows(1));
      y = min (max (y, 1), frameColumnsRows(2));
      first = [x(1) y(1)] - 1 + offset(:)';
      last = [x(2) y(2)] + offset(:)';
      first = floor (first / step) * step;
      last = min (ceil (last / step) * step, maxSize(:)');
      offset = first;
      extent = max (last - first, step);
    end

  end

  methods (Access = private)

    % --- the camera -----------------------------------------------------------------------

    function readSensor (obj)
      % What does not change while the camera is connected: colour or not, the sensor's size.
      cam = obj.camera;
      format = cam.property (80);       % the colour format: 0 for a monochrome sensor
      obj.colour = format(1) ~= 0;
      if (obj.colour)
        obj.kind = 'rgb';
      else
        obj.kind = 'mono';
      end
      width = cam.property (81);
      height = cam.property (82);
      obj.maxSize = [width(1) height(1)];
    end

    function readSettings (obj)
      % Every control shows what the camera reports now.
      cam = obj.camera;
      ui = obj.ui;
      obj.limits = struct ('exposure', cam.range ('exposure'), 'gain', cam.range ('gain'));
      obj.showNumber ('exposure', cam.exposure, true);
      obj.showNumber ('gain', cam.gain, true);
      rates = cam.frameRates ();
      obj.frameRate = cam.frameRate;
      [~, pick] = min (abs (rates - obj.frameRate));
      set (ui.rate, 'String', arrayfun (@(r) sprintf ('%g fps', r), rates, 'UniformOutput', false), ...
           'Value', pick, 'UserData', rates);
      set (ui.bits16, 'Value', double (cam.video16Bit));
      turned = cam.property (66);
      obj.flipping = turned(1);
      placed = [cam.offset(:)', cam.frameSize(:)'];
      set (ui.size, 'UserData', placed, 'String', sprintf ('%dx%d at (%d, %d) of %dx%d', placed([3 4 1 2]), obj.maxSize));
    end

    function startLive (obj)
      % The viewer's live recording into a small buffer, or the camera's running recording.
      if (obj.closed)
        return;
      end
      obj.restartReadouts ();
      try
        if (obj.camera.isRecording ())
          obj.mode = 'watch';
          obj.ownStart = NaN;
          obj.ownFrames = false;
          obj.say (sprintf ('Camera %d records for another: shown, not stopped; the geometry and Record wait for its end.', ...
                            obj.camera.number));
        else
          obj.startOwn ('buffer', qorin.Viewer.liveBuffer);
          obj.mode = 'live';
        end
      catch err
        obj.mode = 'stopped';
        obj.say (err.message, true);
      end
      obj.showMode ();
    end

    function s = startOwn (obj, varargin)
      % Starts the viewer's own recording with these options; its status at the start.
      obj.camera.startRecording (varargin{:});
      obj.ownFrames = true;
      s = obj.camera.recordingStatus ();
      obj.ownStart = s.startPosixTime;
    end

    function stopOwn (obj)
      % Stops the viewer's own recording, if it runs; never raises.  Its frames stay for
      % peekFrame (a snapshot of the stopped view) until the next start or the close.
      if (any (strcmp (obj.mode, {'live', 'record'})))
        obj.mode = 'stopped';
        obj.ownFrames = true;
        try
          obj.camera.stopRecording ();
        catch err
          obj.say (err.message, true);
        end
      end
    end

    function changeGeometry (obj, change)
      % Geometry changes are refused while recording: stop the viewer's recording, change,
      % read every setting back and start again.
      if (obj.closed || obj.busy)
        return;
      end
      if (strcmp (obj.mode, 'watch') || strcmp (obj.mode, 'record'))
        obj.say (sprintf ('Camera %d is recording: the change waits for the recording''s end.', obj.camera.number), true);
        obj.readSettings ();
        return;
      end
      obj.busy = true;
      restart = strcmp (obj.mode, 'live');
      obj.stopOwn ();
      obj.say ('');
      try
        change ();
      catch err
        obj.say (err.message, true);
      end
      try
        obj.readSettings ();
      catch err
        obj.say (err.message, true);
      end
      obj.busy = false;
      if (restart)
        obj.startLive ();
      end
    end

    % --- updates --------------------------------------------------------------------------

    function refresh (obj)
      [img, info] = obj.camera.peekFrame ('raw');
      if (~isempty (img) && info.sequence ~= obj.shownSequence)
        obj.frame = img;
        obj.frameInfo = info;
        obj.shownSequence = info.sequence;
        obj.drawPicture ();
        obj.drawnSince = obj.drawnSince + 1;
        obj.framesShown = obj.framesShown + 1;
      end
      if (toc (obj.readoutTic) >= qorin.Viewer.readoutPeriod)
        obj.readouts ();
      end
    end

    function drawPicture (obj)
      ui = obj.ui;
      extent = [size(obj.frame, 1), size(obj.frame, 2)];
      if (~isequal (extent, obj.shownSize))
        obj.shownSize = extent;
        set (ui.picture, 'XLim', [0.5, extent(2) + 0.5], 'YLim', [0.5, extent(1) + 0.5]);
        obj.measureAxes ();
      end
      region = qorin.Viewer.visibleRegion (get (ui.picture, 'XLim'), get (ui.picture, 'YLim'), extent);
      stride = qorin.Viewer.displayStride ([region(2) - region(1) + 1, region(4) - region(3) + 1], obj.pixels);
      obj.mosaic = qorin.Viewer.mosaicPattern (obj.colour, obj.flipping, extent);
      [cdata, xdata, ydata] = qorin.Viewer.displayPicture (obj.frame, region, stride, obj.saturated, obj.mosaic);
      set (ui.image, 'CData', cdata, 'XData', xdata, 'YData', ydata);
    end

    function readouts (obj)
      ui = obj.ui;
      cam = obj.camera;
      elapsed = toc (obj.readoutTic);
      obj.readoutTic = tic;
      if (strcmp (obj.mode, 'watch') && ~cam.isRecording ())
        % Another's recording ended: its status, which raises a camera error once, is left
        % to its owner.
        obj.mode = 'stopped';
        obj.say (sprintf ('Camera %d''s recording ended. Press Live to view again.', cam.number), true);
        obj.showMode ();
        return;
      end
      s = cam.recordingStatus ();
      if (~s.running)
        % Ended by itself, by a camera error or from the command line: the view stops.
        ended = s.stopReason;
        if (~isempty (s.error))
          ended = s.error;
        end
        was = obj.mode;
        obj.mode = 'stopped';
        if (strcmp (was, 'record'))
          obj.say (sprintf ('The recording to %s ended (%s): %d pages written.', s.file, ended, s.written), true);
        else
          obj.say (sprintf ('Camera %d''s recording ended (%s). Press Live to view again.', cam.number, ended), true);
        end
        obj.showMode ();
        return;
      end
      if (~strcmp (obj.mode, 'watch') && s.startPosixTime ~= obj.ownStart)
        obj.mode = 'watch';
        obj.ownFrames = false;
        obj.say (sprintf ('Camera %d records for another: shown, not stopped.', cam.number));
        obj.showMode ();
      end
      obj.showNumber ('exposure', cam.exposure);
      obj.showNumber ('gain', cam.gain);
      turned = cam.property (66);
      obj.flipping = turned(1);

      % Frames per second from the frames' numbers and stamps: since the last readout, or
      % since the recording's first frame.
      measured = 0;
      if (~isempty (obj.frameInfo))
        newest = [obj.frameInfo.sequence, obj.frameInfo.timestamp];
        before = obj.readoutFrame;
        if (isempty (before) || before(1) > newest(1))
          before = [1 0];
        end
        if (newest(2) > before(2))
          measured = (newest(1) - before(1)) / (newest(2) - before(2));
        end
        obj.readoutFrame = newest;
      end
      shown = obj.drawnSince / max (elapsed, eps);
      obj.drawnSince = 0;
      depth = 8;
      if (isa (obj.frame, 'uint16'))
        depth = 16;
      end
      sensor = 'mono';
      if (obj.colour)
        sensor = 'colour';
      end
      line1 = sprintf ('%.1f fps (set %g), shown %.0f/s, dropped %d;  %dx%d %d-bit %s', measured, obj.frameRate, ...
                       shown, s.dropped, size (obj.frame, 2), size (obj.frame, 1), depth, sensor);
      if (strcmp (obj.mode, 'record'))
        obj.say (sprintf ('Recording to %s: %d frames, %.1f s, %d pages written', obj.recordFile, ...
                          s.acquired, toc (obj.recordTic), s.written));
      end
      set (ui.status, 'String', line1);
      if (isempty (obj.frame))
        return;
      end
      r = qorin.Viewer.frameReadouts (obj.frame, obj.mosaic);
      set (ui.stats, 'String', sprintf ('min %d  max %d  mean %.1f  saturated %.2f %%', r.low, r.high, r.mean, ...
                                        100 * r.saturated));
      centres = ((0:255) + 0.5) * (r.full + 1) / 256;
      for c = 1:numel (ui.bars)
        set (ui.bars(c), 'XData', centres, 'YData', r.counts(:, min (c, size (r.counts, 2))), ...
             'Visible', qorin.Viewer.onOff (c <= size (r.counts, 2)));
      end
      set (ui.histogram, 'XLim', [0, r.full + 1]);
      set (ui.histogramTitle, 'String', sprintf ('Histogram, %.2f %% saturated', 100 * r.saturated));
      obj.measureAxes ();
    end

    function restartReadouts (obj)
      obj.readoutTic = tic;
      obj.readoutFrame = [];
      obj.drawnSince = 0;
      obj.shownSequence = 0;
    end

    function fault (obj, err)
      % A camera error: shown once, the view stops until the user acts.
      obj.stopOwn ();
      obj.mode = 'stopped';
      obj.say (sprintf ('%s Press Live to view again.', err.message), true);
      obj.showMode ();
    end

    function flush (obj)
      if (obj.closed)
        return;
      end
      if (obj.octave)
        drawnow ();
      else
        drawnow ('limitrate');
      end
    end

    function startTicker (obj)
      if (obj.octave)
        obj.ticker = feval ('add_input_event_hook', @() obj.hookTick ());
      else
        obj.ticker = timer ('Name', sprintf ('qorin.Viewer camera %d', obj.camera.number), ...
                            'ExecutionMode', 'fixedSpacing', 'BusyMode', 'drop', 'ObjectVisibility', 'off', ...
                            'Period', round (1000 * qorin.Viewer.period) / 1000, ...
                            'TimerFcn', @(source, event) obj.timerTick ());
        start (obj.ticker);
      end
    end

    function stopTicker (obj)
      t = obj.ticker;
      obj.ticker = [];
      if (isempty (t))
        return;
      end
      try
        if (obj.octave)
          feval ('remove_input_event_hook', t);
        else
          stop (t);
          delete (t);
        end
      catch
      end
    end

    % --- the figure -----------------------------------------------------------------------

    function build (obj)
      n = obj.camera.number;
      W = 1040;
      H = 720;
      fig = figure ('Name', sprintf ('qorin viewer: camera %d', n), 'NumberTitle', 'off', 'Tag', 'qorin.Viewer', ...
                    'Units', 'pixels', 'Position', [40 + 30 * (n - 1), 60 + 20 * (n - 1), W, H], ...
                    'MenuBar', 'none', 'ToolBar', 'figure', 'Color', [0.94 0.94 0.94], 'IntegerHandle', 'off', ...
                    'HandleVisibility', 'callback');
      obj.figure = fig;
      setappdata (fig, 'qorinViewer', obj);
      ui = struct ();
      at = @(x, y, w, h) [x / W, y / H, w / W, h / H];
      ui.picture = axes ('Parent', fig, 'Units', 'normalized', 'Position', at (10, 92, 770, 618), ...
                         'YDir', 'reverse', 'DataAspectRatio', [1 1 1], 'Visible', 'off', ...
                         'XLim', [0.5 1.5], 'YLim', [0.5 1.5]);
      ui.image = image ('Parent', ui.picture, 'CData', zeros (1, 1, 3, 'uint8'), 'XData', [1 1], 'YData', [1 1]);
      ui.regionBox = line ('Parent', ui.picture, 'XData', [], 'YData', [], 'Color', [1 0.8 0], 'LineWidth', 1.5);
      ui.message = obj.label (fig, at (10, 62, 770, 22), '');
      ui.status = obj.label (fig, at (10, 38, 770, 22), 'starting');
      ui.stats = obj.label (fig, at (10, 14, 450, 22), '');
      ui.pointer = obj.label (fig, at (470, 14, 310, 22), '');

      x = 795;
      ui.exposureLabel = obj.label (fig, at (x, 684, 138, 22), 'Exposure');
      ui.exposure = uicontrol (fig, 'Style', 'edit', 'Units', 'normalized', 'Position', at (x + 140, 686, 95, 24), ...
                               'Callback', @(source, event) obj.act (@() obj.typed ('exposure')));
      ui.exposureSlider = uicontrol (fig, 'Style', 'slider', 'Units', 'normalized', 'Position', at (x, 660, 235, 20), ...
                                     'Min', 0, 'Max', 1, 'Callback', @(source, event) obj.act (@() obj.slid ('exposure')));
      ui.gainLabel = obj.label (fig, at (x, 626, 138, 22), 'Gain');
      ui.gain = uicontrol (fig, 'Style', 'edit', 'Units', 'normalized', 'Position', at (x + 140, 628, 95, 24), ...
                           'Callback', @(source, event) obj.act (@() obj.typed ('gain')));
      ui.gainSlider = uicontrol (fig, 'Style', 'slider', 'Units', 'normalized', 'Position', at (x, 602, 235, 20), ...
                                 'Min', 0, 'Max', 1, 'Callback', @(source, event) obj.act (@() obj.slid ('gain')));
      ui.autoExposure = obj.button (fig, at (x, 564, 115, 28), 'Auto exposure', @() obj.autoExposure ());
      ui.whiteBalance = obj.button (fig, at (x + 120, 564, 115, 28), 'White balance', @() obj.whiteBalance ());
      set (ui.whiteBalance, 'Enable', qorin.Viewer.onOff (obj.colour));
      ui.rateLabel = obj.label (fig, at (x, 528, 90, 22), 'Frame rate');
      ui.rate = uicontrol (fig, 'Style', 'popupmenu', 'Units', 'normalized', 'Position', at (x + 120, 530, 115, 24), ...
                           'String', {' '}, 'Callback', @(source, event) obj.act (@() obj.rateChosen ()));
      ui.bits16 = uicontrol (fig, 'Style', 'checkbox', 'Units', 'normalized', 'Position', at (x, 496, 115, 24), ...
                             'String', '16-bit video', 'Callback', @(source, event) obj.act (@() obj.bitsChosen ()));
      ui.saturated = uicontrol (fig, 'Style', 'checkbox', 'Units', 'normalized', 'Position', at (x + 120, 496, 115, 24), ...
                                'String', 'Saturated', 'Value', obj.saturated, ...
                                'Callback', @(source, event) obj.act (@() obj.saturatedChosen ()));
      ui.region = uicontrol (fig, 'Style', 'togglebutton', 'Units', 'normalized', 'Position', at (x, 460, 115, 28), ...
                             'String', 'Region', 'TooltipString', 'Then drag a rectangle on the picture', ...
                             'Callback', @(source, event) obj.act (@() obj.regionToggled ()));
      ui.fullFrame = obj.button (fig, at (x + 120, 460, 115, 28), 'Full frame', @() obj.fullFrame ());
      ui.size = obj.label (fig, at (x, 434, 235, 22), '');
      ui.snapshot = obj.button (fig, at (x, 396, 115, 28), 'Snapshot', @() obj.snapshot ());
      ui.format = uicontrol (fig, 'Style', 'popupmenu', 'Units', 'normalized', 'Position', at (x + 120, 398, 115, 24), ...
                             'String', {'PNG', 'TIFF'}, 'Value', 1 + strcmp (obj.snapshotFormat, 'tif'), ...
                             'Callback', @(source, event) obj.act (@() obj.formatChosen ()));
      ui.folderButton = obj.button (fig, at (x, 362, 115, 28), 'Folder...', @() obj.chooseFolder ());
      ui.folder = obj.label (fig, at (x + 120, 362, 115, 26), obj.folderText ());
      ui.record = uicontrol (fig, 'Style', 'togglebutton', 'Units', 'normalized', 'Position', at (x, 324, 115, 28), ...
                             'String', 'Record', 'Callback', @(source, event) obj.act (@() obj.recordToggled ()));
      ui.live = obj.button (fig, at (x + 120, 324, 115, 28), 'Pause', @() obj.liveToggled ());

      ui.histogramTitle = obj.label (fig, at (x, 286, 235, 22), 'Histogram');
      ui.histogram = axes ('Parent', fig, 'Units', 'normalized', 'Position', at (x + 10, 60, 225, 222), ...
                           'Box', 'on', 'FontSize', 7, 'XLim', [0 256], 'YTick', [], 'XTickMode', 'auto');
      traces = [0.8 0 0; 0 0.6 0; 0 0 0.9];
      if (~obj.colour)
        traces = [0.2 0.2 0.2];
      end
      ui.bars = [];
      for c = 1:size (traces, 1)
        ui.bars = [ui.bars, line('Parent', ui.histogram, 'XData', [], 'YData', [], 'Color', traces(c, :))];
      end
      % Each part tagged with its name, by which a script or a test finds it.
      names = fieldnames (ui);
      for k = 1:numel (names)
        if (~strcmp (names{k}, 'bars'))
          set (ui.(names{k}), 'Tag', names{k});
        end
      end
      obj.ui = ui;

      set (fig, 'CloseRequestFcn', @(source, event) obj.close (), 'DeleteFcn', @(source, event) obj.close (), ...
           'WindowButtonMotionFcn', @(source, event) obj.pointerMoved (), ...
           'WindowButtonDownFcn', @(source, event) obj.pointerPressed (), ...
           'WindowButtonUpFcn', @(source, event) obj.pointerReleased ());
      obj.measureAxes ();
    end

    function h = label (obj, fig, position, text)
      h = uicontrol (fig, 'Style', 'text', 'Units', 'normalized', 'Position', position, 'String', text, ...
                     'HorizontalAlignment', 'left', 'BackgroundColor', get (fig, 'Color'));
    end

    function h = button (obj, fig, position, text, action)
      h = uicontrol (fig, 'Style', 'pushbutton', 'Units', 'normalized', 'Position', position, 'String', text, ...
                     'Callback', @(source, event) obj.act (action));
    end

    function say (obj, text, isError)
      obj.message = text;
      if (nargin < 3)
        isError = false;
      end
      if (isfield (obj.ui, 'message') && isgraphics (obj.ui.message))
        colour = [0 0 0];
        if (isError)
          colour = [0.75 0 0];
        end
        set (obj.ui.message, 'String', text, 'ForegroundColor', colour);
      end
    end

    function showMode (obj)
      % The controls that the mode allows, and the labels of Record and Live.
      if (~isfield (obj.ui, 'live') || ~isgraphics (obj.ui.live))
        return;
      end
      ui = obj.ui;
      free = any (strcmp (obj.mode, {'live', 'stopped'}));
      set ([ui.rate, ui.bits16, ui.region, ui.fullFrame], 'Enable', qorin.Viewer.onOff (free));
      set (ui.record, 'Enable', qorin.Viewer.onOff (~strcmp (obj.mode, 'watch')), ...
           'Value', strcmp (obj.mode, 'record'));
      if (strcmp (obj.mode, 'record'))
        set (ui.record, 'String', 'Stop');
      else
        set (ui.record, 'String', 'Record');
      end
      if (strcmp (obj.mode, 'stopped'))
        set (ui.live, 'String', 'Live');
      else
        set (ui.live, 'String', 'Pause');
      end
      if (~free)
        obj.endDrag ();
        set (ui.region, 'Value', 0);
      end
    end

    function showNumber (obj, name, value, always)
      % The box and slider of exposure or gain at the camera's value, within its range; left
      % as they are while the value is the one shown, so that a value being typed stays.
      ui = obj.ui;
      if (nargin < 4 && isequal (get (ui.(name), 'UserData'), value))
        return;
      end
      range = obj.limits.(name);
      power = 1;
      if (strcmp (name, 'exposure'))
        power = qorin.Viewer.exposurePower;
      end
      set (ui.(name), 'String', sprintf ('%g', value), 'UserData', value);
      set (ui.([name 'Slider']), 'Value', qorin.Viewer.sliderPosition (value, range, power), ...
           'UserData', [range(:)', power], 'Enable', qorin.Viewer.onOff (range(2) > range(1)));
      set (ui.([name 'Label']), 'String', sprintf ('%s (%g-%g)', [upper(name(1)), name(2:end)], range(1), range(2)));
    end

    function measureAxes (obj)
      position = getpixelposition (obj.ui.picture);
      obj.pixels = max (position(3:4), 1);
    end

    function text = folderText (obj)
      text = obj.folder;
      if (isempty (text))
        text = '(ask for a file)';
      end
    end

    % --- controls -------------------------------------------------------------------------

    function setNumber (obj, name, value)
      try
        obj.camera.(name) = value;
        obj.say ('');
      catch err
        obj.say (err.message, true);
      end
    end

    function [file, overwrite] = outputFile (obj, extension, title)
      % An auto-named file in the folder, or one the user picks ('' when cancelled).
      overwrite = false;
      stem = sprintf ('camera%d_%s', obj.camera.number, datestr (now (), 'yyyymmdd_HHMMSS_FFF'));
      if (~isempty (obj.folder))
        file = fullfile (obj.folder, [stem '.' extension]);
        return;
      end
      [name, path] = uiputfile (['*.' extension], title, [stem '.' extension]);
      file = '';
      if (ischar (name))
        file = fullfile (path, name);
        overwrite = true;   % the dialog asked before it let an existing file be chosen
      end
    end

    function endDrag (obj)
      obj.dragStart = [];
      if (isfield (obj.ui, 'regionBox') && isgraphics (obj.ui.regionBox))
        set (obj.ui.regionBox, 'XData', [], 'YData', []);
      end
    end

  end

  methods (Hidden)
    % What the figure's callbacks, the timer and the hook call: public for Octave, which runs
    % an anonymous function's call of a private method only from within the class.

    function applyRegion (obj, offset, extent)
      % The offset goes to 0 first, so that no intermediate format leaves the sensor.
      cam = obj.camera;
      if (any (cam.offset ~= 0))
        cam.offset = [0 0];
      end
      cam.frameSize = extent;
      if (any (offset ~= 0))
        cam.offset = offset;
      end
    end

    function timerTick (obj)
      % Nothing escapes a timer callback: MATLAB would stop the timer and print the error.
      try
        obj.update ();
      catch
      end
    end

    function hookTick (obj)
      % Octave calls the hook every 0.1 s while its prompt waits; the call draws frames at the
      % update period for up to hookSpan, so the view runs at about the display's rate and a
      % key typed meanwhile waits at most that long.
      try
        began = tic;
        while (true)
          slot = tic;
          obj.update ();
          if (obj.closed || toc (began) + qorin.Viewer.period > qorin.Viewer.hookSpan)
            return;
          end
          pause (max (0, qorin.Viewer.period - toc (slot)));
        end
      catch
      end
    end

    function act (obj, action)
      % Every control's callback: an error is shown in the message line, never raised into
      % the host's event loop.
      if (obj.closed)
        return;
      end
      try
        action ();
      catch err
        obj.say (err.message, true);
      end
      obj.flush ();
    end

    function typed (obj, name)
      value = str2double (get (obj.ui.(name), 'String'));
      if (isnan (value))
        obj.say (sprintf ('%s: not a number.', name), true);
      else
        obj.setNumber (name, value);
      end
      obj.showNumber (name, obj.camera.(name), true);
    end

    function slid (obj, name)
      slider = obj.ui.([name 'Slider']);
      scale = get (slider, 'UserData');
      obj.setNumber (name, qorin.Viewer.sliderValue (get (slider, 'Value'), scale(1:2), scale(3)));
      obj.showNumber (name, obj.camera.(name), true);
    end

    function autoExposure (obj)
      extent = obj.camera.frameSize;
      obj.camera.autoExposure (qorin.Viewer.autoTarget, 0, 0, extent(1), extent(2));
      obj.showNumber ('exposure', obj.camera.exposure, true);
      obj.showNumber ('gain', obj.camera.gain, true);
      obj.say ('Automatic exposure done.');
    end

    function whiteBalance (obj)
      extent = obj.camera.frameSize;
      obj.camera.autoWhiteBalance (0, 0, extent(1), extent(2));
      obj.say ('White balance done.');
    end

    function rateChosen (obj)
      rates = get (obj.ui.rate, 'UserData');
      rate = rates(get (obj.ui.rate, 'Value'));
      obj.changeGeometry (@() obj.setCamera ('frameRate', rate));
    end

    function bitsChosen (obj)
      on = get (obj.ui.bits16, 'Value') ~= 0;
      obj.changeGeometry (@() obj.setCamera ('video16Bit', on));
    end

    function setCamera (obj, name, value)
      obj.camera.(name) = value;
    end

    function saturatedChosen (obj)
      obj.showSaturated = get (obj.ui.saturated, 'Value') ~= 0;
      if (~isempty (obj.frame))
        obj.drawPicture ();
      end
    end

    function formatChosen (obj)
      formats = {'png', 'tif'};
      chosen = get (obj.ui.format, 'Value');
      obj.snapshotFormat = formats{chosen};
    end

    function chooseFolder (obj)
      start = obj.folder;
      if (isempty (start))
        start = pwd ();
      end
      chosen = uigetdir (start, 'Folder for snapshots and recordings');
      if (ischar (chosen))
        obj.folder = chosen;
      end
    end

    function recordToggled (obj)
      if (strcmp (obj.mode, 'record'))
        obj.stopRecord ();
      else
        obj.record ();
      end
      obj.showMode ();
    end

    function liveToggled (obj)
      if (strcmp (obj.mode, 'stopped'))
        obj.start ();
      else
        obj.stop ();
      end
    end

    function regionToggled (obj)
      if (get (obj.ui.region, 'Value') == 0)
        obj.endDrag ();
      else
        obj.say ('Drag a rectangle on the picture.');
      end
    end

    function pointerMoved (obj)
      if (obj.closed || isempty (obj.frame))
        return;
      end
      point = get (obj.ui.picture, 'CurrentPoint');
      x = round (point(1, 1));
      y = round (point(1, 2));
      if (x >= 1 && y >= 1 && x <= size (obj.frame, 2) && y <= size (obj.frame, 1))
        text = sprintf ('x %d, y %d: %d', x, y, obj.frame(y, x));
        if (~isempty (obj.mosaic))
          text = sprintf ('%s (%s)', text, obj.mosaic(1 + 2 * mod (y - 1, 2) + mod (x - 1, 2)));
        end
      else
        text = '';
      end
      set (obj.ui.pointer, 'String', text);
      if (~isempty (obj.dragStart))
        a = obj.dragStart;
        set (obj.ui.regionBox, 'XData', [a(1) point(1, 1) point(1, 1) a(1) a(1)], ...
             'YData', [a(2) a(2) point(1, 2) point(1, 2) a(2)]);
      end
    end

    function pointerPressed (obj)
      if (obj.closed || ~isfield (obj.ui, 'region') || get (obj.ui.region, 'Value') == 0 || isempty (obj.frame))
        return;
      end
      point = get (obj.ui.picture, 'CurrentPoint');
      if (point(1, 1) < 0.5 || point(1, 2) < 0.5 || point(1, 1) > size (obj.frame, 2) + 0.5 ...
          || point(1, 2) > size (obj.frame, 1) + 0.5)
        return;
      end
      obj.dragStart = point(1, 1:2);
    end

    function pointerReleased (obj)
      if (obj.closed || isempty (obj.dragStart))
        return;
      end
      point = get (obj.ui.picture, 'CurrentPoint');
      a = obj.dragStart;
      b = point(1, 1:2);
      obj.endDrag ();
      set (obj.ui.region, 'Value', 0);
      if (all (abs (b - a) < 2))
        obj.say ('The region needs a rectangle: press Region, then drag.');
        return;
      end
      placed = get (obj.ui.size, 'UserData');   % [x y width height] on the sensor
      step = 1;
      if (obj.colour)
        step = 2;
      end
      [offset, extent] = qorin.Viewer.regionFromDrag (a, b, placed(1:2), [size(obj.frame, 2), size(obj.frame, 1)], ...
                                                      obj.maxSize, step);
      obj.act (@() obj.changeGeometry (@() obj.applyRegion (offset, extent)));
    end

  end

  methods (Static, Hidden)
    % Helpers of the methods above, hidden from the listing (anonymous functions call them).

    function samples = eightBits (samples)
      % 16-bit samples shown with their high byte, taken from the bytes as they lie (the
      % integer arithmetic of a shift costs ten times as much in Octave).
      if (isa (samples, 'uint16'))
        bytes = typecast (samples(:), 'uint8');
        high = find (typecast (uint16 (256), 'uint8'));  % 2 where the low byte comes first
        samples = reshape (bytes(high:2:end), size (samples));
      end
    end

    function text = onOff (tf)
      if (tf)
        text = 'on';
      else
        text = 'off';
      end
    end

    function value = text (value)
      % Text inputs may be string scalars.
      if (isa (value, 'string'))
        value = char (value);
      end
    end

  end
end

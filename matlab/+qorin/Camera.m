classdef Camera < handle
  % CAMERA  one Qorin camera as an object: connect on construction, disconnect on delete.
  %
  %   c = qorin.Camera (n)   connects camera n (1-based) and keeps it until c is deleted
  %                          (clear c, or the last reference goes away) or c.disconnect ().
  %   c = qorin.Camera ()    a placeholder for no camera (number 0) that connects nothing:
  %                          what MATLAB fills the gaps with when an array of cameras grows.
  %
  %   Only the object that connected a camera disconnects it.  A copy made by save and load,
  %   or sent to a parallel worker, owns no connection and leaves the camera alone.  Once its
  %   connection has ended (c.disconnect (), clear qorincam, build_qorincam, qorin.selftest),
  %   an object leaves a newer connection of its camera alone: its methods raise
  %   qorincam:notConnected rather than use it, and deleting it disconnects nothing.
  %
  %   Live settings are properties that read and write the camera:
  %     c.exposure, c.gain, c.gamma, c.contrast, c.brightness, c.hue, c.saturation,
  %     c.frameSize ([width; height]), c.offset ([x; y]), c.frameRate, c.video16Bit,
  %     c.frameFormat (structure), c.autoRoi, c.colourMatrix.
  %   Snapshot settings: c.snapshot16Bit, c.snapshotColourGains ([red; green1; green2; blue]),
  %     c.strobe, c.strobeDelay, c.hwTrigger; c.setSnapshotExposure (v), c.setSnapshotGain (v),
  %     c.setShutterType (t).
  %
  %   Capture: c.preview (), c.stopPreview (), img = c.snapshot (), img = c.grab (kind)
  %     with kind 'rgb' (default), 'mono' or 'raw' (needs a preview), frames = c.fastFrames (n),
  %     c.save (file, mono) (needs a preview).  Text inputs may be char vectors or string scalars.
  %   v = c.view () opens a live view in a figure with readouts and controls (qorin.Viewer).
  %
  %   Recording: c.startRecording (name, value, ...) records frames into a buffer in memory
  %     (and, with 'file', into a multipage TIFF) while MATLAB goes on; options 'source'
  %     ('video' or 'snapshot'), 'frames', 'seconds', 'buffer' (frames, or bytes as text:
  %     '512MB'), 'whenFull' ('overwrite' or 'stop'), 'file', 'overwrite'.
  %     [frames, meta] = c.getFrames (count, kind) takes the oldest frames not yet taken
  %     (count omitted or []: all; kind 'raw' (default), 'mono' or 'rgb'), [img, meta] =
  %     c.peekFrame (kind) shows the newest without taking it, tf = c.waitFrames (count,
  %     timeout) waits for frames (figures stay live meanwhile, and Ctrl+C ends the wait),
  %     s = c.recordingStatus (), tf = c.isRecording (), c.stopRecording (), c.flushFrames ()
  %     (frees an ended recording's buffer).  meta is a k-by-1 structure array, one element
  %     per frame, with fields sequence, timestamp and missed, as getdata of the acquisition
  %     toolbox gives it.  While a camera records,
  %     commands that change its geometry or stream are refused; deleting the object stops
  %     the recording before it disconnects.
  %
  %   Every method is one or two qorincam calls and raises the module's own errors, with
  %   their identifiers (qorincam:notConnected, qorincam:sdk, ...; see help qorincam).
  %
  %   Example:
  %     c = qorin.Camera (1);
  %     c.exposure = 20;  c.preview ();
  %     img = c.snapshot ();  imshow (img);
  %     c.stopPreview ();
  %     c.startRecording ('frames', 100, 'file', 'run.tif');
  %     c.waitFrames (100, 30);
  %     [frames, meta] = c.getFrames ();          % [rows, cols, 100] raw, and their times
  %     clear c                                   % disconnects

  properties (SetAccess = private)
    number = 0;  % the camera number the object was made for
  end

  % Transient: a saved and loaded copy, or one sent to a worker, starts with the default.
  properties (Access = private, Transient)
    owned = false;    % true once this object's connect succeeded, until it disconnects
    connection = 0;   % the token of the connection it made (qorincam ('connection', n)); 0: none
  end

  properties (Constant, Access = private)
    waitSlice = 0.1;  % seconds of each module wait in waitFrames, with drawnow between them
    waitDefault = 10; % waitFrames' timeout when none is given, as the module's
  end

  properties (Dependent)
    exposure
    gain
    gamma
    contrast
    brightness
    hue
    saturation
    frameSize
    offset
    frameRate
    video16Bit
    frameFormat
    autoRoi
    colourMatrix
    snapshot16Bit
    snapshotColourGains
    strobe
    strobeDelay
    hwTrigger
  end

  methods

    function obj = Camera (n)
      % Without a number: the placeholder, which calls nothing.
      if (nargin < 1)
        return;
      end
      obj.number = n;
      qorincam (qorin.cmd.CONNECT, n);
      obj.connection = qorincam ('connection', n);
      obj.owned = true;
    end

    function delete (obj)
      % Never raises: the host calls this while clearing variables.  A recording would make
      % the module refuse the disconnect, so it is stopped first.  A connection made since
      % this object's ended is left alone.
      if (obj.owned)
        obj.owned = false;
        try
          if (qorincam ('connection', obj.number) ~= obj.connection)
            return;
          end
          running = qorincam ('isRecording', obj.number);
          qorincam ('stopRecording', obj.number);
          obj.sayDiscarded (running);
        catch
        end
        try
          qorincam (qorin.cmd.DISCONNECT, obj.number);
        catch
        end
      end
    end

    function disconnect (obj)
      % Refused while the camera records (qorincam:state): an object that owned the camera
      % then keeps it, so that its delete still stops the recording and disconnects.
      owned = obj.owned;
      obj.owned = false;
      try
        obj.call (qorin.cmd.DISCONNECT);
      catch err
        obj.owned = owned && strcmp (err.identifier, 'qorincam:state');
        rethrow (err);
      end
    end

    function tf = isConnected (obj)
      tf = obj.call (qorin.cmd.IS_CONNECTED);
    end

    function disp (obj)
      % One line per element; arrays, empty arrays and deleted objects display too.
      if (isempty (obj))
        fprintf ('  %s empty qorin.Camera array\n', qorin.Camera.sizeText (obj));
        return;
      end
      if (numel (obj) > 1)
        fprintf ('  %s qorin.Camera array:\n', qorin.Camera.sizeText (obj));
      end
      % Octave 7 has no isvalid: there every element counts as valid.
      try
        valid = isvalid (obj);
      catch
        valid = true (size (obj));
      end
      for k = 1:numel (obj)
        if (~valid(k))
          fprintf ('  deleted qorin.Camera\n');
        elseif (obj(k).number == 0)
          fprintf ('  qorin.Camera placeholder, no camera\n');
        elseif (obj(k).staleQuietly ())
          fprintf ('  qorin.Camera %d, not connected (the camera has a newer connection)\n', obj(k).number);
        elseif (obj(k).connectedQuietly ())
          if (obj(k).recordingQuietly ())
            fprintf ('  qorin.Camera %d, connected, recording\n', obj(k).number);
          else
            fprintf ('  qorin.Camera %d, connected\n', obj(k).number);
          end
        else
          fprintf ('  qorin.Camera %d, not connected\n', obj(k).number);
        end
      end
    end

    % Preview and capture

    function preview (obj)
      obj.call (qorin.cmd.START_PREVIEW);
    end

    function stopPreview (obj)
      obj.call (qorin.cmd.STOP_PREVIEW);
    end

    function previewSize (obj, width, height)
      obj.call (qorin.cmd.SET_PREVIEW_SIZE, width, height);
    end

    function adjustWindow (obj, x, y, width, height)
      obj.call (qorin.cmd.ADJUST_DISPLAY_WINDOW, x, y, width, height);
    end

    function img = snapshot (obj)
      img = obj.call (qorin.cmd.TAKE_SNAPSHOT);
    end

    function img = grab (obj, kind)
      if (nargin < 2)
        kind = 'rgb';
      end
      if (isa (kind, 'string'))
        kind = char (kind);
      end
      switch (lower (kind))
        case 'rgb',  img = obj.call (qorin.cmd.GRAB_RGB_FRAME);
        case 'mono', img = obj.call (qorin.cmd.GRAB_MONO_FRAME);
        case 'raw',  img = obj.call (qorin.cmd.GRAB_RAW_FRAME);
        otherwise
          error ('qorincam:usage', 'Frame kind must be ''rgb'', ''mono'' or ''raw''.');
      end
    end

    function frames = fastFrames (obj, n)
      frames = obj.call (qorin.cmd.TAKE_FAST_FRAMES, n);
    end

    function save (obj, file, mono)
      if (nargin < 3)
        mono = false;
      end
      if (isa (file, 'string'))
        file = char (file);
      end
      obj.call (qorin.cmd.SAVE_IMAGE, file, logical (mono));
    end

    function v = view (obj)
      % A live view of the camera in a figure (qorin.Viewer): its open viewer, brought to the
      % front, or a new one.
      v = qorin.Viewer.forCamera (obj.number);
      if (isempty (v))
        v = qorin.Viewer (obj);
      else
        figure (v.figure);
      end
    end

    % Recording: the module records in the background; these ask it and take its frames.

    function startRecording (obj, varargin)
      % Options as name/value pairs: 'source', 'frames', 'seconds', 'buffer', 'whenFull',
      % 'file', 'overwrite' (see help qorin.Camera).
      obj.call ('startRecording', varargin{:});
    end

    function stopRecording (obj)
      obj.call ('stopRecording');
    end

    function tf = isRecording (obj)
      tf = obj.call ('isRecording');
    end

    function [frames, meta] = getFrames (obj, varargin)
      % (count, kind): the oldest count frames not yet taken (omitted or []: all there are),
      % 'raw' (default), 'mono' or 'rgb'; never waits.
      [frames, meta] = obj.call ('getFrames', varargin{:});
    end

    function [img, meta] = peekFrame (obj, varargin)
      % (kind): the newest frame, taken by nobody; [] before the first one.
      [img, meta] = obj.call ('peekFrame', varargin{:});
    end

    function tf = waitFrames (obj, varargin)
      % (count, timeout): true once count frames wait for getFrames; false when the timeout
      % (default 10 s) passes or the recording ends first.  The module waits in slices of
      % 0.1 s with drawnow between them, so that figures and their callbacks stay live.
      if (numel (varargin) == 1)
        varargin{2} = qorin.Camera.waitDefault;
      end
      if (numel (varargin) ~= 2 || ~isnumeric (varargin{2}) || ~isscalar (varargin{2}) ...
          || ~isreal (varargin{2}) || ~(varargin{2} >= 0))
        % What the module refuses, it refuses with its own message.
        tf = obj.call ('waitFrames', varargin{:});
        return;
      end
      count = varargin{1};
      timeout = full (double (varargin{2}));
      started = tic;
      tf = obj.call ('waitFrames', count, min (timeout, qorin.Camera.waitSlice));
      while (~tf)
        left = timeout - toc (started);
        if (left <= 0)
          return;
        end
        if (~qorincam ('isRecording', obj.number))
          % The recording ended: the frames it left are all there is.
          tf = qorincam ('waitFrames', obj.number, count, 0);
          return;
        end
        drawnow ();
        tf = qorincam ('waitFrames', obj.number, count, min (left, qorin.Camera.waitSlice));
      end
    end

    function s = recordingStatus (obj)
      s = obj.call ('recordingStatus');
    end

    function flushFrames (obj)
      % Frees the buffer of an ended recording, frames not taken with it.
      obj.call ('flushFrames');
    end

    % Snapshot settings without a read-back command

    function setSnapshotExposure (obj, value)
      obj.call (qorin.cmd.SET_SNAPSHOT_EXPOSURE, double (value));
    end

    function setSnapshotGain (obj, value)
      obj.call (qorin.cmd.SET_SNAPSHOT_GAIN, double (value));
    end

    function setShutterType (obj, type)
      obj.call (qorin.cmd.SET_SHUTTER_TYPE, type);
    end

    function r = snapshotExposureRange (obj)
      r = obj.call (qorin.cmd.GET_SNAPSHOT_EXPOSURE_RANGE);
    end

    function r = snapshotGainRange (obj)
      r = obj.call (qorin.cmd.GET_SNAPSHOT_GAIN_RANGE);
    end

    % Properties by name or number

    function r = range (obj, name)
      % [min; max] of 'exposure', 'gain', 'gamma', 'contrast', 'brightness', 'hue',
      % 'saturation', or of a property number.
      if (isnumeric (name))
        r = obj.call (qorin.cmd.GET_PROPERTY_RANGE, name);
        return;
      end
      if (isa (name, 'string'))
        name = char (name);
      end
      switch (lower (name))
        case 'exposure',   r = obj.call (qorin.cmd.GET_SNAPSHOT_EXPOSURE_RANGE);
        case 'gain',       r = obj.call (qorin.cmd.GET_SNAPSHOT_GAIN_RANGE);
        case 'gamma',      r = obj.call (qorin.cmd.GET_GAMMA_RANGE);
        case 'contrast',   r = obj.call (qorin.cmd.GET_CONTRAST_RANGE);
        case 'brightness', r = obj.call (qorin.cmd.GET_BRIGHTNESS_RANGE);
        case 'hue',        r = obj.call (qorin.cmd.GET_HUE_RANGE);
        case 'saturation', r = obj.call (qorin.cmd.GET_SATURATION_RANGE);
        otherwise
          error ('qorincam:usage', 'No range command for ''%s''; give the property number instead.', name);
      end
    end

    function r = property (obj, number)
      % [value, flags] of a camera property by number.
      r = obj.call (qorin.cmd.GET_PROPERTY, number);
    end

    function setProperty (obj, number, value, flags)
      if (nargin < 4)
        flags = 0;
      end
      obj.call (qorin.cmd.SET_PROPERTY, double (number), value, flags);
    end

    function r = frameRates (obj)
      r = obj.call (qorin.cmd.LIST_FRAME_RATES);
    end

    function showPropertyPage (obj)
      obj.call (qorin.cmd.SHOW_PROPERTY_PAGE);
    end

    function showFormatPage (obj)
      obj.call (qorin.cmd.SHOW_FORMAT_PAGE);
    end

    function f = stillImageFormat (obj)
      f = obj.call (qorin.cmd.GET_STILL_IMAGE_FORMAT);
    end

    function f = videoImageFormat (obj)
      f = obj.call (qorin.cmd.GET_VIDEO_IMAGE_FORMAT);
    end

    % Identity

    function v = versionInfo (obj)
      v = obj.call (qorin.cmd.QUERY_VERSION);
    end

    function s = interface (obj)
      s = obj.call (qorin.cmd.QUERY_INTERFACE);
    end

    function id = cameraId (obj)
      id = obj.call (qorin.cmd.GET_CAMERA_ID);
    end

    function bits = pixelDepth (obj)
      bits = obj.call (qorin.cmd.GET_PIXEL_DEPTH);
    end

    function r = hwRevision (obj)
      r = obj.call (qorin.cmd.GET_HW_REVISION);
    end

    function reset (obj)
      obj.call (qorin.cmd.RESET_CAMERA);
    end

    % Automatic adjustments, lens and colour processing (arguments as in help qorincam)

    function autoExposure (obj, target, a, b, c, d)
      obj.call (qorin.cmd.AUTO_EXPOSURE, target, a, b, c, d);
    end

    function autoIris (obj, target, a, b, c, d)
      obj.call (qorin.cmd.AUTO_IRIS, target, a, b, c, d);
    end

    function autoWhiteBalance (obj, varargin)
      % (a, b, c, d) or (first, second, a, b, c, d) with two ratios.
      if (numel (varargin) == 6)
        obj.call (qorin.cmd.AUTO_WHITE_BALANCE_EX, double (varargin{1}), double (varargin{2}), ...
                  varargin{3:6});
      else
        obj.call (qorin.cmd.AUTO_WHITE_BALANCE, varargin{:});
      end
    end

    function digitalWhiteBalance (obj, varargin)
      % (a, b, c, d) or (first, second, a, b, c, d) with two ratios.
      if (numel (varargin) == 6)
        obj.call (qorin.cmd.DIGITAL_WHITE_BALANCE_EX, double (varargin{1}), double (varargin{2}), ...
                  varargin{3:6});
      else
        obj.call (qorin.cmd.DIGITAL_WHITE_BALANCE, varargin{:});
      end
    end

    function whiteBalanceFromSnapshot (obj, first, second, a, b, c, d)
      obj.call (qorin.cmd.WHITE_BALANCE_FROM_SNAPSHOT, first, second, a, b, c, d);
    end

    function initLens (obj, on)
      obj.call (qorin.cmd.INIT_AUTO_LENS, logical (on));
    end

    function startFocus (obj, varargin)
      obj.call (qorin.cmd.AUTO_FOCUS_START, varargin{:});
    end

    function waitFocus (obj, limit)
      obj.call (qorin.cmd.AUTO_FOCUS_WAIT, double (limit));
    end

    function stopFocus (obj)
      obj.call (qorin.cmd.AUTO_FOCUS_STOP);
    end

    function p = focusProgress (obj)
      p = obj.call (qorin.cmd.AUTO_FOCUS_PROGRESS);
    end

    function setupLut (obj, table)
      obj.call (qorin.cmd.SETUP_LUT, table, numel (table));
    end

    function setupColourLut (obj, table, channels)
      % channels: four logicals saying which channels the table applies to.
      channels = logical (channels);
      obj.call (qorin.cmd.SETUP_COLOUR_LUT, table, numel (table), ...
                channels(1), channels(2), channels(3), channels(4));
    end

    % GPIO, cooling, events, time-outs and the permanent buffer

    function bytes = readGpio (obj)
      bytes = obj.call (qorin.cmd.READ_GPIO);
    end

    function writeGpo (obj, value)
      obj.call (qorin.cmd.WRITE_GPO, value);
    end

    function selectGpo (obj, mask)
      obj.call (qorin.cmd.SELECT_GPO, mask);
    end

    function configureGpio (obj, config)
      obj.call (qorin.cmd.CONFIGURE_GPIO, config);
    end

    function setCooling (obj, on, celsius)
      obj.call (qorin.cmd.SET_COOLING, logical (on), celsius);
    end

    function setTimeout (obj, snapshot, milliseconds)
      obj.call (qorin.cmd.SET_TIMEOUT, logical (snapshot), milliseconds);
    end

    function id = registerEvent (obj, kind)
      id = obj.call (qorin.cmd.REGISTER_EVENT, kind);
    end

    function unregisterEvent (obj, id)
      obj.call (qorin.cmd.UNREGISTER_EVENT, id);
    end

    function bytes = readPermanentBuffer (obj, offset, count)
      bytes = obj.call (qorin.cmd.READ_PERMANENT_BUFFER, offset, count);
    end

    function writePermanentBuffer (obj, offset, data)
      obj.call (qorin.cmd.WRITE_PERMANENT_BUFFER, offset, data);
    end

    % Dependent properties: each reads or writes its command.

    function v = get.exposure (obj)
      v = obj.call (qorin.cmd.GET_EXPOSURE);
    end
    function set.exposure (obj, v)
      obj.call (qorin.cmd.SET_EXPOSURE, double (v));
    end

    function v = get.gain (obj)
      v = obj.call (qorin.cmd.GET_GAIN);
    end
    function set.gain (obj, v)
      obj.call (qorin.cmd.SET_GAIN, double (v));
    end

    function v = get.gamma (obj)
      v = obj.call (qorin.cmd.GET_GAMMA);
    end
    function set.gamma (obj, v)
      obj.call (qorin.cmd.SET_GAMMA, double (v));
    end

    function v = get.contrast (obj)
      v = obj.call (qorin.cmd.GET_CONTRAST);
    end
    function set.contrast (obj, v)
      obj.call (qorin.cmd.SET_CONTRAST, double (v));
    end

    function v = get.brightness (obj)
      v = obj.call (qorin.cmd.GET_BRIGHTNESS);
    end
    function set.brightness (obj, v)
      obj.call (qorin.cmd.SET_BRIGHTNESS, double (v));
    end

    function v = get.hue (obj)
      v = obj.call (qorin.cmd.GET_HUE);
    end
    function set.hue (obj, v)
      obj.call (qorin.cmd.SET_HUE, double (v));
    end

    function v = get.saturation (obj)
      v = obj.call (qorin.cmd.GET_SATURATION);
    end
    function set.saturation (obj, v)
      obj.call (qorin.cmd.SET_SATURATION, double (v));
    end

    function v = get.frameSize (obj)
      v = obj.call (qorin.cmd.GET_FRAME_SIZE);
    end
    function set.frameSize (obj, v)
      obj.call (qorin.cmd.SET_FRAME_SIZE, v(1), v(2));
    end

    function v = get.offset (obj)
      v = obj.call (qorin.cmd.GET_OFFSET);
    end
    function set.offset (obj, v)
      obj.call (qorin.cmd.SET_OFFSET, v(1), v(2));
    end

    function v = get.frameRate (obj)
      v = obj.call (qorin.cmd.GET_FRAME_RATE);
    end
    function set.frameRate (obj, v)
      obj.call (qorin.cmd.SET_FRAME_RATE, double (v));
    end

    function v = get.video16Bit (obj)
      v = obj.call (qorin.cmd.GET_16BIT_VIDEO);
    end
    function set.video16Bit (obj, v)
      obj.call (qorin.cmd.SET_16BIT_VIDEO, logical (v));
    end

    function v = get.frameFormat (obj)
      v = obj.call (qorin.cmd.GET_FRAME_FORMAT);
    end
    function set.frameFormat (obj, v)
      obj.call (qorin.cmd.SET_FRAME_FORMAT, v);
    end

    function v = get.autoRoi (obj)
      v = obj.call (qorin.cmd.GET_AUTO_ROI);
    end
    function set.autoRoi (obj, v)
      obj.call (qorin.cmd.SET_AUTO_ROI, v(1), v(2), v(3), v(4));
    end

    function v = get.colourMatrix (obj)
      v = obj.call (qorin.cmd.GET_COLOUR_MATRIX);
    end
    function set.colourMatrix (obj, v)
      obj.call (qorin.cmd.SETUP_CUSTOM_MATRIX, v);
    end

    function v = get.snapshot16Bit (obj)
      v = obj.call (qorin.cmd.GET_SNAPSHOT_16BIT);
    end
    function set.snapshot16Bit (obj, v)
      obj.call (qorin.cmd.SET_SNAPSHOT_16BIT, logical (v));
    end

    function v = get.snapshotColourGains (obj)
      v = obj.call (qorin.cmd.GET_SNAPSHOT_COLOUR_GAINS);
    end
    function set.snapshotColourGains (obj, v)
      v = double (v);
      obj.call (qorin.cmd.SET_SNAPSHOT_COLOUR_GAINS, v(1), v(2), v(3), v(4));
    end

    function v = get.strobe (obj)
      v = obj.call (qorin.cmd.GET_STROBE);
    end
    function set.strobe (obj, v)
      obj.call (qorin.cmd.SET_STROBE, logical (v));
    end

    function v = get.strobeDelay (obj)
      v = obj.call (qorin.cmd.GET_STROBE_DELAY);
    end
    function set.strobeDelay (obj, v)
      obj.call (qorin.cmd.SET_STROBE_DELAY, double (v));
    end

    function v = get.hwTrigger (obj)
      v = obj.call (qorin.cmd.GET_HW_TRIGGER);
    end
    function set.hwTrigger (obj, v)
      obj.call (qorin.cmd.SET_HW_TRIGGER, logical (v));
    end

  end

  methods (Access = private)

    function varargout = call (obj, code, varargin)
      % qorincam with this object's camera number as the first parameter, unless the camera
      % has a connection newer than the one this object made.
      if (obj.connection ~= 0)
        current = qorincam ('connection', obj.number);
        if (current ~= 0 && current ~= obj.connection)
          error ('qorincam:notConnected', ['This qorin.Camera''s connection to camera %d has ended and ' ...
                 'the camera was connected again since; the object leaves that connection alone.'], ...
                 obj.number);
        end
      end
      [varargout{1:nargout}] = qorincam (code, obj.number, varargin{:});
    end

    function sayDiscarded (obj, running)
      % Frames nobody took go with the connection (clear all, the first line of many scripts,
      % deletes the object): said, not silently.
      try
        s = qorincam ('recordingStatus', obj.number);
      catch
        return;
      end
      if (running || s.available > 0)
        ended = 'ended';
        if (running)
          ended = 'stopped';
        end
        fprintf ('qorin.Camera: deleting the object %s camera %d''s recording; %d frames not taken were discarded.\n', ...
                 ended, obj.number, s.available);
      end
    end

    function tf = staleQuietly (obj)
      % Whether the camera has a connection newer than this object's; false when even that
      % cannot be asked.
      tf = false;
      try
        current = qorincam ('connection', obj.number);
        tf = obj.connection ~= 0 && current ~= 0 && current ~= obj.connection;
      catch
      end
    end

    function tf = connectedQuietly (obj)
      % Whether the camera is connected; false when even that cannot be asked.
      tf = false;
      try
        tf = obj.call (qorin.cmd.IS_CONNECTED);
      catch
      end
    end

    function tf = recordingQuietly (obj)
      % Whether the camera records; false when even that cannot be asked.
      tf = false;
      try
        tf = obj.call ('isRecording');
      catch
      end
    end

  end

  methods (Static, Access = private)

    function text = sizeText (array)
      % '2x3' for a 2-by-3 array.
      text = sprintf ('%dx', size (array));
      text = text(1:end - 1);
    end

  end
end

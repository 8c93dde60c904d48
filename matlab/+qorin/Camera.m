classdef Camera < handle
  % CAMERA  one Qorin camera as an object: connect on construction, disconnect on delete.
  %
  %   c = qorin.Camera (n)   connects camera n (1-based) and keeps it until c is deleted
  %                          (clear c, or the last reference goes away) or c.disconnect ().
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
  %     c.save (file, mono) (needs a preview).
  %
  %   Every method is one or two qorincam calls and raises the module's own errors, with
  %   their identifiers (qorincam:notConnected, qorincam:sdk, ...; see help qorincam).
  %
  %   Example:
  %     c = qorin.Camera (1);
  %     c.exposure = 20;  c.preview ();
  %     img = c.snapshot ();  imshow (img);
  %     clear c                                   % disconnects

  properties (SetAccess = private)
    number = 0;  % the camera number the object was made for
  end

  properties (Access = private)
    owned = false;  % true once this object's connect succeeded, until it disconnects
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
      if (nargin < 1)
        n = 1;
      end
      obj.number = n;
      qorincam (qorin.cmd.CONNECT, n);
      obj.owned = true;
    end

    function delete (obj)
      % Never raises: the host calls this while clearing variables.
      if (obj.owned)
        obj.owned = false;
        try
          qorincam (qorin.cmd.DISCONNECT, obj.number);
        catch
        end
      end
    end

    function disconnect (obj)
      obj.owned = false;
      qorincam (qorin.cmd.DISCONNECT, obj.number);
    end

    function tf = isConnected (obj)
      tf = qorincam (qorin.cmd.IS_CONNECTED, obj.number);
    end

    function disp (obj)
      connected = false;
      try
        connected = qorincam (qorin.cmd.IS_CONNECTED, obj.number);
      catch
      end
      if (connected)
        fprintf ('  qorin.Camera %d, connected\n', obj.number);
      else
        fprintf ('  qorin.Camera %d, not connected\n', obj.number);
      end
    end

    % Preview and capture

    function preview (obj)
      qorincam (qorin.cmd.START_PREVIEW, obj.number);
    end

    function stopPreview (obj)
      qorincam (qorin.cmd.STOP_PREVIEW, obj.number);
    end

    function previewSize (obj, width, height)
      qorincam (qorin.cmd.SET_PREVIEW_SIZE, obj.number, width, height);
    end

    function adjustWindow (obj, x, y, width, height)
      qorincam (qorin.cmd.ADJUST_DISPLAY_WINDOW, obj.number, x, y, width, height);
    end

    function img = snapshot (obj)
      img = qorincam (qorin.cmd.TAKE_SNAPSHOT, obj.number);
    end

    function img = grab (obj, kind)
      if (nargin < 2)
        kind = 'rgb';
      end
      switch (lower (kind))
        case 'rgb',  img = qorincam (qorin.cmd.GRAB_RGB_FRAME, obj.number);
        case 'mono', img = qorincam (qorin.cmd.GRAB_MONO_FRAME, obj.number);
        case 'raw',  img = qorincam (qorin.cmd.GRAB_RAW_FRAME, obj.number);
        otherwise
          error ('qorincam:usage', 'Frame kind must be ''rgb'', ''mono'' or ''raw''.');
      end
    end

    function frames = fastFrames (obj, n)
      frames = qorincam (qorin.cmd.TAKE_FAST_FRAMES, obj.number, n);
    end

    function save (obj, file, mono)
      if (nargin < 3)
        mono = false;
      end
      qorincam (qorin.cmd.SAVE_IMAGE, obj.number, file, logical (mono));
    end

    % Snapshot settings without a read-back command

    function setSnapshotExposure (obj, value)
      qorincam (qorin.cmd.SET_SNAPSHOT_EXPOSURE, obj.number, double (value));
    end

    function setSnapshotGain (obj, value)
      qorincam (qorin.cmd.SET_SNAPSHOT_GAIN, obj.number, double (value));
    end

    function setShutterType (obj, type)
      qorincam (qorin.cmd.SET_SHUTTER_TYPE, obj.number, type);
    end

    function r = snapshotExposureRange (obj)
      r = qorincam (qorin.cmd.GET_SNAPSHOT_EXPOSURE_RANGE, obj.number);
    end

    function r = snapshotGainRange (obj)
      r = qorincam (qorin.cmd.GET_SNAPSHOT_GAIN_RANGE, obj.number);
    end

    % Properties by name or number

    function r = range (obj, name)
      % [min; max] of 'exposure', 'gain', 'gamma', 'contrast', 'brightness', 'hue',
      % 'saturation', or of a property number.
      if (isnumeric (name))
        r = qorincam (qorin.cmd.GET_PROPERTY_RANGE, obj.number, name);
        return;
      end
      switch (lower (name))
        case 'exposure',   r = qorincam (qorin.cmd.GET_SNAPSHOT_EXPOSURE_RANGE, obj.number);
        case 'gain',       r = qorincam (qorin.cmd.GET_SNAPSHOT_GAIN_RANGE, obj.number);
        case 'gamma',      r = qorincam (qorin.cmd.GET_GAMMA_RANGE, obj.number);
        case 'contrast',   r = qorincam (qorin.cmd.GET_CONTRAST_RANGE, obj.number);
        case 'brightness', r = qorincam (qorin.cmd.GET_BRIGHTNESS_RANGE, obj.number);
        case 'hue',        r = qorincam (qorin.cmd.GET_HUE_RANGE, obj.number);
        case 'saturation', r = qorincam (qorin.cmd.GET_SATURATION_RANGE, obj.number);
        otherwise
          error ('qorincam:usage', 'No range command for ''%s''; give the property number instead.', name);
      end
    end

    function r = property (obj, number)
      % [value, flags] of a camera property by number.
      r = qorincam (qorin.cmd.GET_PROPERTY, obj.number, number);
    end

    function setProperty (obj, number, value, flags)
      if (nargin < 4)
        flags = 0;
      end
      qorincam (qorin.cmd.SET_PROPERTY, obj.number, double (number), value, flags);
    end

    function r = frameRates (obj)
      r = qorincam (qorin.cmd.LIST_FRAME_RATES, obj.number);
    end

    function showPropertyPage (obj)
      qorincam (qorin.cmd.SHOW_PROPERTY_PAGE, obj.number);
    end

    function showFormatPage (obj)
      qorincam (qorin.cmd.SHOW_FORMAT_PAGE, obj.number);
    end

    function f = stillImageFormat (obj)
      f = qorincam (qorin.cmd.GET_STILL_IMAGE_FORMAT, obj.number);
    end

    function f = videoImageFormat (obj)
      f = qorincam (qorin.cmd.GET_VIDEO_IMAGE_FORMAT, obj.number);
    end

    % Identity

    function v = versionInfo (obj)
      v = qorincam (qorin.cmd.QUERY_VERSION, obj.number);
    end

    function s = interface (obj)
      s = qorincam (qorin.cmd.QUERY_INTERFACE, obj.number);
    end

    function id = cameraId (obj)
      id = qorincam (qorin.cmd.GET_CAMERA_ID, obj.number);
    end

    function bits = pixelDepth (obj)
      bits = qorincam (qorin.cmd.GET_PIXEL_DEPTH, obj.number);
    end

    function r = hwRevision (obj)
      r = qorincam (qorin.cmd.GET_HW_REVISION, obj.number);
    end

    function reset (obj)
      qorincam (qorin.cmd.RESET_CAMERA, obj.number);
    end

    % Automatic adjustments, lens and colour processing (arguments as in help qorincam)

    function autoExposure (obj, target, a, b, c, d)
      qorincam (qorin.cmd.AUTO_EXPOSURE, obj.number, target, a, b, c, d);
    end

    function autoIris (obj, target, a, b, c, d)
      qorincam (qorin.cmd.AUTO_IRIS, obj.number, target, a, b, c, d);
    end

    function autoWhiteBalance (obj, varargin)
      % (a, b, c, d) or (first, second, a, b, c, d) with two ratios.
      if (numel (varargin) == 6)
        qorincam (qorin.cmd.AUTO_WHITE_BALANCE_EX, obj.number, double (varargin{1}), double (varargin{2}), ...
                  varargin{3:6});
      else
        qorincam (qorin.cmd.AUTO_WHITE_BALANCE, obj.number, varargin{:});
      end
    end

    function digitalWhiteBalance (obj, varargin)
      % (a, b, c, d) or (first, second, a, b, c, d) with two ratios.
      if (numel (varargin) == 6)
        qorincam (qorin.cmd.DIGITAL_WHITE_BALANCE_EX, obj.number, double (varargin{1}), double (varargin{2}), ...
                  varargin{3:6});
      else
        qorincam (qorin.cmd.DIGITAL_WHITE_BALANCE, obj.number, varargin{:});
      end
    end

    function whiteBalanceFromSnapshot (obj, first, second, a, b, c, d)
      qorincam (qorin.cmd.WHITE_BALANCE_FROM_SNAPSHOT, obj.number, first, second, a, b, c, d);
    end

    function initLens (obj, on)
      qorincam (qorin.cmd.INIT_AUTO_LENS, obj.number, logical (on));
    end

    function startFocus (obj, varargin)
      qorincam (qorin.cmd.AUTO_FOCUS_START, obj.number, varargin{:});
    end

    function waitFocus (obj, limit)
      qorincam (qorin.cmd.AUTO_FOCUS_WAIT, obj.number, double (limit));
    end

    function stopFocus (obj)
      qorincam (qorin.cmd.AUTO_FOCUS_STOP, obj.number);
    end

    function p = focusProgress (obj)
      p = qorincam (qorin.cmd.AUTO_FOCUS_PROGRESS, obj.number);
    end

    function setupLut (obj, table)
      qorincam (qorin.cmd.SETUP_LUT, obj.number, table, numel (table));
    end

    function setupColourLut (obj, table, channels)
      % channels: four logicals saying which channels the table applies to.
      channels = logical (channels);
      qorincam (qorin.cmd.SETUP_COLOUR_LUT, obj.number, table, numel (table), ...
                channels(1), channels(2), channels(3), channels(4));
    end

    % GPIO, cooling, events, time-outs and the permanent buffer

    function bytes = readGpio (obj)
      bytes = qorincam (qorin.cmd.READ_GPIO, obj.number);
    end

    function writeGpo (obj, value)
      qorincam (qorin.cmd.WRITE_GPO, obj.number, value);
    end

    function selectGpo (obj, mask)
      qorincam (qorin.cmd.SELECT_GPO, obj.number, mask);
    end

    function configureGpio (obj, config)
      qorincam (qorin.cmd.CONFIGURE_GPIO, obj.number, config);
    end

    function setCooling (obj, on, celsius)
      qorincam (qorin.cmd.SET_COOLING, obj.number, logical (on), celsius);
    end

    function setTimeout (obj, snapshot, milliseconds)
      qorincam (qorin.cmd.SET_TIMEOUT, obj.number, logical (snapshot), milliseconds);
    end

    function id = registerEvent (obj, kind)
      id = qorincam (qorin.cmd.REGISTER_EVENT, obj.number, kind);
    end

    function unregisterEvent (obj, id)
      qorincam (qorin.cmd.UNREGISTER_EVENT, obj.number, id);
    end

    function bytes = readPermanentBuffer (obj, offset, count)
      bytes = qorincam (qorin.cmd.READ_PERMANENT_BUFFER, obj.number, offset, count);
    end

    function writePermanentBuffer (obj, offset, data)
      qorincam (qorin.cmd.WRITE_PERMANENT_BUFFER, obj.number, offset, data);
    end

    % Dependent properties: each reads or writes its command.

    function v = get.exposure (obj)
      v = qorincam (qorin.cmd.GET_EXPOSURE, obj.number);
    end
    function set.exposure (obj, v)
      qorincam (qorin.cmd.SET_EXPOSURE, obj.number, double (v));
    end

    function v = get.gain (obj)
      v = qorincam (qorin.cmd.GET_GAIN, obj.number);
    end
    function set.gain (obj, v)
      qorincam (qorin.cmd.SET_GAIN, obj.number, double (v));
    end

    function v = get.gamma (obj)
      v = qorincam (qorin.cmd.GET_GAMMA, obj.number);
    end
    function set.gamma (obj, v)
      qorincam (qorin.cmd.SET_GAMMA, obj.number, double (v));
    end

    function v = get.contrast (obj)
      v = qorincam (qorin.cmd.GET_CONTRAST, obj.number);
    end
    function set.contrast (obj, v)
      qorincam (qorin.cmd.SET_CONTRAST, obj.number, double (v));
    end

    function v = get.brightness (obj)
      v = qorincam (qorin.cmd.GET_BRIGHTNESS, obj.number);
    end
    function set.brightness (obj, v)
      qorincam (qorin.cmd.SET_BRIGHTNESS, obj.number, double (v));
    end

    function v = get.hue (obj)
      v = qorincam (qorin.cmd.GET_HUE, obj.number);
    end
    function set.hue (obj, v)
      qorincam (qorin.cmd.SET_HUE, obj.number, double (v));
    end

    function v = get.saturation (obj)
      v = qorincam (qorin.cmd.GET_SATURATION, obj.number);
    end
    function set.saturation (obj, v)
      qorincam (qorin.cmd.SET_SATURATION, obj.number, double (v));
    end

    function v = get.frameSize (obj)
      v = qorincam (qorin.cmd.GET_FRAME_SIZE, obj.number);
    end
    function set.frameSize (obj, v)
      qorincam (qorin.cmd.SET_FRAME_SIZE, obj.number, v(1), v(2));
    end

    function v = get.offset (obj)
      v = qorincam (qorin.cmd.GET_OFFSET, obj.number);
    end
    function set.offset (obj, v)
      qorincam (qorin.cmd.SET_OFFSET, obj.number, v(1), v(2));
    end

    function v = get.frameRate (obj)
      v = qorincam (qorin.cmd.GET_FRAME_RATE, obj.number);
    end
    function set.frameRate (obj, v)
      qorincam (qorin.cmd.SET_FRAME_RATE, obj.number, double (v));
    end

    function v = get.video16Bit (obj)
      v = qorincam (qorin.cmd.GET_16BIT_VIDEO, obj.number);
    end
    function set.video16Bit (obj, v)
      qorincam (qorin.cmd.SET_16BIT_VIDEO, obj.number, logical (v));
    end

    function v = get.frameFormat (obj)
      v = qorincam (qorin.cmd.GET_FRAME_FORMAT, obj.number);
    end
    function set.frameFormat (obj, v)
      qorincam (qorin.cmd.SET_FRAME_FORMAT, obj.number, v);
    end

    function v = get.autoRoi (obj)
      v = qorincam (qorin.cmd.GET_AUTO_ROI, obj.number);
    end
    function set.autoRoi (obj, v)
      qorincam (qorin.cmd.SET_AUTO_ROI, obj.number, v(1), v(2), v(3), v(4));
    end

    function v = get.colourMatrix (obj)
      v = qorincam (qorin.cmd.GET_COLOUR_MATRIX, obj.number);
    end
    function set.colourMatrix (obj, v)
      qorincam (qorin.cmd.SETUP_CUSTOM_MATRIX, obj.number, v);
    end

    function v = get.snapshot16Bit (obj)
      v = qorincam (qorin.cmd.GET_SNAPSHOT_16BIT, obj.number);
    end
    function set.snapshot16Bit (obj, v)
      qorincam (qorin.cmd.SET_SNAPSHOT_16BIT, obj.number, logical (v));
    end

    function v = get.snapshotColourGains (obj)
      v = qorincam (qorin.cmd.GET_SNAPSHOT_COLOUR_GAINS, obj.number);
    end
    function set.snapshotColourGains (obj, v)
      v = double (v);
      qorincam (qorin.cmd.SET_SNAPSHOT_COLOUR_GAINS, obj.number, v(1), v(2), v(3), v(4));
    end

    function v = get.strobe (obj)
      v = qorincam (qorin.cmd.GET_STROBE, obj.number);
    end
    function set.strobe (obj, v)
      qorincam (qorin.cmd.SET_STROBE, obj.number, logical (v));
    end

    function v = get.strobeDelay (obj)
      v = qorincam (qorin.cmd.GET_STROBE_DELAY, obj.number);
    end
    function set.strobeDelay (obj, v)
      qorincam (qorin.cmd.SET_STROBE_DELAY, obj.number, double (v));
    end

    function v = get.hwTrigger (obj)
      v = qorincam (qorin.cmd.GET_HW_TRIGGER, obj.number);
    end
    function set.hwTrigger (obj, v)
      qorincam (qorin.cmd.SET_HW_TRIGGER, obj.number, logical (v));
    end

  end
end

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
      qorincam (-1, n);
      obj.owned = true;
    end

    function delete (obj)
      % Never raises: the host calls this while clearing variables.
      if (obj.owned)
        obj.owned = false;
        try
          qorincam (-2, obj.number);
        catch
        end
      end
    end

    function disconnect (obj)
      obj.owned = false;
      qorincam (-2, obj.number);
    end

    function tf = isConnected (obj)
      tf = qorincam (6, obj.number);
    end

    function disp (obj)
      connected = false;
      try
        connected = qorincam (6, obj.number);
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
      qorincam (0, obj.number);
    end

    function stopPreview (obj)
      qorincam (1, obj.number);
    end

    function previewSize (obj, width, height)
      qorincam (79, obj.number, width, height);
    end

    function adjustWindow (obj, x, y, width, height)
      qorincam (80, obj.number, x, y, width, height);
    end

    function img = snapshot (obj)
      img = qorincam (13, obj.number);
    end

    function img = grab (obj, kind)
      if (nargin < 2)
        kind = 'rgb';
      end
      switch (lower (kind))
        case 'rgb',  img = qorincam (7, obj.number);
        case 'mono', img = qorincam (75, obj.number);
        case 'raw',  img = qorincam (76, obj.number);
        otherwise
          error ('qorincam:usage', 'Frame kind must be ''rgb'', ''mono'' or ''raw''.');
      end
    end

    function frames = fastFrames (obj, n)
      frames = qorincam (87, obj.number, n);
    end

    function save (obj, file, mono)
      if (nargin < 3)
        mono = false;
      end
      qorincam (77, obj.number, file, logical (mono));
    end

    % Snapshot settings without a read-back command

    function setSnapshotExposure (obj, value)
      qorincam (15, obj.number, double (value));
    end

    function setSnapshotGain (obj, value)
      qorincam (17, obj.number, double (value));
    end

    function setShutterType (obj, type)
      qorincam (78, obj.number, type);
    end

    function r = snapshotExposureRange (obj)
      r = qorincam (14, obj.number);
    end

    function r = snapshotGainRange (obj)
      r = qorincam (16, obj.number);
    end

    % Properties by name or number

    function r = range (obj, name)
      % [min; max] of 'exposure', 'gain', 'gamma', 'contrast', 'brightness', 'hue',
      % 'saturation', or of a property number.
      if (isnumeric (name))
        r = qorincam (51, obj.number, name);
        return;
      end
      switch (lower (name))
        case 'exposure',   r = qorincam (14, obj.number);
        case 'gain',       r = qorincam (16, obj.number);
        case 'gamma',      r = qorincam (52, obj.number);
        case 'contrast',   r = qorincam (53, obj.number);
        case 'brightness', r = qorincam (54, obj.number);
        case 'hue',        r = qorincam (55, obj.number);
        case 'saturation', r = qorincam (56, obj.number);
        otherwise
          error ('qorincam:usage', 'No range command for ''%s''; give the property number instead.', name);
      end
    end

    function r = property (obj, number)
      % [value, flags] of a camera property by number.
      r = qorincam (39, obj.number, number);
    end

    function setProperty (obj, number, value, flags)
      if (nargin < 4)
        flags = 0;
      end
      qorincam (40, obj.number, double (number), value, flags);
    end

    function r = frameRates (obj)
      r = qorincam (4, obj.number);
    end

    function showPropertyPage (obj)
      qorincam (5, obj.number);
    end

    function showFormatPage (obj)
      qorincam (95, obj.number);
    end

    function f = stillImageFormat (obj)
      f = qorincam (98, obj.number);
    end

    function f = videoImageFormat (obj)
      f = qorincam (99, obj.number);
    end

    % Identity

    function v = versionInfo (obj)
      v = qorincam (57, obj.number);
    end

    function s = interface (obj)
      s = qorincam (58, obj.number);
    end

    function id = cameraId (obj)
      id = qorincam (59, obj.number);
    end

    function bits = pixelDepth (obj)
      bits = qorincam (60, obj.number);
    end

    function r = hwRevision (obj)
      r = qorincam (94, obj.number);
    end

    function reset (obj)
      qorincam (83, obj.number);
    end

    % Automatic adjustments, lens and colour processing (arguments as in help qorincam)

    function autoExposure (obj, target, a, b, c, d)
      qorincam (64, obj.number, target, a, b, c, d);
    end

    function autoIris (obj, target, a, b, c, d)
      qorincam (70, obj.number, target, a, b, c, d);
    end

    function autoWhiteBalance (obj, varargin)
      % (a, b, c, d) or (first, second, a, b, c, d) with two ratios.
      if (numel (varargin) == 6)
        qorincam (66, obj.number, double (varargin{1}), double (varargin{2}), varargin{3:6});
      else
        qorincam (65, obj.number, varargin{:});
      end
    end

    function digitalWhiteBalance (obj, varargin)
      % (a, b, c, d) or (first, second, a, b, c, d) with two ratios.
      if (numel (varargin) == 6)
        qorincam (68, obj.number, double (varargin{1}), double (varargin{2}), varargin{3:6});
      else
        qorincam (67, obj.number, varargin{:});
      end
    end

    function whiteBalanceFromSnapshot (obj, first, second, a, b, c, d)
      qorincam (82, obj.number, first, second, a, b, c, d);
    end

    function initLens (obj, on)
      qorincam (69, obj.number, logical (on));
    end

    function startFocus (obj, varargin)
      qorincam (71, obj.number, varargin{:});
    end

    function waitFocus (obj, limit)
      qorincam (72, obj.number, double (limit));
    end

    function stopFocus (obj)
      qorincam (73, obj.number);
    end

    function p = focusProgress (obj)
      p = qorincam (74, obj.number);
    end

    function setupLut (obj, table)
      qorincam (88, obj.number, table, numel (table));
    end

    function setupColourLut (obj, table, channels)
      % channels: four logicals saying which channels the table applies to.
      channels = logical (channels);
      qorincam (89, obj.number, table, numel (table), channels(1), channels(2), channels(3), channels(4));
    end

    % GPIO, cooling, events, time-outs and the permanent buffer

    function bytes = readGpio (obj)
      bytes = qorincam (34, obj.number);
    end

    function writeGpo (obj, value)
      qorincam (35, obj.number, value);
    end

    function selectGpo (obj, mask)
      qorincam (36, obj.number, mask);
    end

    function configureGpio (obj, config)
      qorincam (61, obj.number, config);
    end

    function setCooling (obj, on, celsius)
      qorincam (81, obj.number, logical (on), celsius);
    end

    function setTimeout (obj, snapshot, milliseconds)
      qorincam (91, obj.number, logical (snapshot), milliseconds);
    end

    function id = registerEvent (obj, kind)
      id = qorincam (92, obj.number, kind);
    end

    function unregisterEvent (obj, id)
      qorincam (93, obj.number, id);
    end

    function bytes = readPermanentBuffer (obj, offset, count)
      bytes = qorincam (96, obj.number, offset, count);
    end

    function writePermanentBuffer (obj, offset, data)
      qorincam (97, obj.number, offset, data);
    end

    % Dependent properties: each reads or writes its command.

    function v = get.exposure (obj)
      v = qorincam (31, obj.number);
    end
    function set.exposure (obj, v)
      qorincam (30, obj.number, double (v));
    end

    function v = get.gain (obj)
      v = qorincam (29, obj.number);
    end
    function set.gain (obj, v)
      qorincam (28, obj.number, double (v));
    end

    function v = get.gamma (obj)
      v = qorincam (41, obj.number);
    end
    function set.gamma (obj, v)
      qorincam (42, obj.number, double (v));
    end

    function v = get.contrast (obj)
      v = qorincam (43, obj.number);
    end
    function set.contrast (obj, v)
      qorincam (44, obj.number, double (v));
    end

    function v = get.brightness (obj)
      v = qorincam (45, obj.number);
    end
    function set.brightness (obj, v)
      qorincam (46, obj.number, double (v));
    end

    function v = get.hue (obj)
      v = qorincam (47, obj.number);
    end
    function set.hue (obj, v)
      qorincam (48, obj.number, double (v));
    end

    function v = get.saturation (obj)
      v = qorincam (49, obj.number);
    end
    function set.saturation (obj, v)
      qorincam (50, obj.number, double (v));
    end

    function v = get.frameSize (obj)
      v = qorincam (12, obj.number);
    end
    function set.frameSize (obj, v)
      qorincam (2, obj.number, v(1), v(2));
    end

    function v = get.offset (obj)
      v = qorincam (8, obj.number);
    end
    function set.offset (obj, v)
      qorincam (9, obj.number, v(1), v(2));
    end

    function v = get.frameRate (obj)
      v = qorincam (33, obj.number);
    end
    function set.frameRate (obj, v)
      qorincam (3, obj.number, double (v));
    end

    function v = get.video16Bit (obj)
      v = qorincam (11, obj.number);
    end
    function set.video16Bit (obj, v)
      qorincam (10, obj.number, logical (v));
    end

    function v = get.frameFormat (obj)
      v = qorincam (62, obj.number);
    end
    function set.frameFormat (obj, v)
      qorincam (63, obj.number, v);
    end

    function v = get.autoRoi (obj)
      v = qorincam (84, obj.number);
    end
    function set.autoRoi (obj, v)
      qorincam (85, obj.number, v(1), v(2), v(3), v(4));
    end

    function v = get.colourMatrix (obj)
      v = qorincam (86, obj.number);
    end
    function set.colourMatrix (obj, v)
      qorincam (90, obj.number, v);
    end

    function v = get.snapshot16Bit (obj)
      v = qorincam (19, obj.number);
    end
    function set.snapshot16Bit (obj, v)
      qorincam (18, obj.number, logical (v));
    end

    function v = get.snapshotColourGains (obj)
      v = qorincam (21, obj.number);
    end
    function set.snapshotColourGains (obj, v)
      v = double (v);
      qorincam (20, obj.number, v(1), v(2), v(3), v(4));
    end

    function v = get.strobe (obj)
      v = qorincam (23, obj.number);
    end
    function set.strobe (obj, v)
      qorincam (22, obj.number, logical (v));
    end

    function v = get.strobeDelay (obj)
      v = qorincam (25, obj.number);
    end
    function set.strobeDelay (obj, v)
      qorincam (24, obj.number, double (v));
    end

    function v = get.hwTrigger (obj)
      v = qorincam (27, obj.number);
    end
    function set.hwTrigger (obj, v)
      qorincam (26, obj.number, logical (v));
    end

  end
end

function ok = selftest(n)
  % SELFTEST  checks an installation by using it: one line per group of checks, then a total.
  %   ok = qorin.selftest() with the simulated SDK (qorin.info().sdk is 'simulator') connects,
  %   previews, grabs, takes snapshots, bursts and synchronous snapshots, changes settings,
  %   provokes each kind of error and uses the qorin.Camera object, and compares every image
  %   with the one the simulator's documented conversions give.  It starts and ends with the
  %   module unloaded (clear qorincam, which closes every camera) and the simulator reset.
  %   With the maker's SDK it makes the read-only checks of camera 1.
  %
  %   ok = qorin.selftest(n) makes read-only checks of camera n: connect, format, one
  %   snapshot's size and class, preview start and stop, property ranges.  It writes no
  %   setting, disconnects only a camera it connected and stops only a preview it started.
  %
  %   ok is true when every group passed.  Send the printed lines and qorin.info() along with
  %   any report of a problem.
  about = qorin.info();
  full = nargin < 1 && strcmp(about.sdk, 'simulator');
  if nargin < 1
    n = 1;
  end
  if ~isnumeric(n) || ~isscalar(n) || n < 1 || n ~= fix(n)
    error('qorin:selftest:usage', 'The camera number must be a positive integer.');
  end
  fprintf('qorin.selftest: qorincam %s (%s) in %s %s, %s SDK %s\n', about.version, about.compiler, ...
          about.host, about.hostVersion, about.sdk, about.sdkLibrary);
  if full
    names = {'module and SDK', 'connect', 'preview and grabs', 'snapshot', 'burst', ...
             'synchronous snapshots', 'settings', 'errors', 'camera object', 'recording'};
    groups = {@checkModule, @checkConnect, @checkGrabs, @checkSnapshot, @checkBurst, ...
              @checkSync, @checkSettings, @checkErrors, @checkObject, @checkRecording};
    cleanup = onCleanup(@resetSimulator);
  else
    fprintf('qorin.selftest: read-only checks of camera %d\n', n);
    names = {'connect', 'format', 'snapshot', 'preview', 'property ranges', 'recording'};
    groups = {@readConnect, @readFormat, @readSnapshot, @readPreview, @readRanges, @readRecording};
    wasConnected = false;
    try
      wasConnected = qorincam(6, n);
    catch
    end
    cleanup = onCleanup(@() leaveAsFound(n, wasConnected));
  end
  passed = 0;
  for k = 1:numel(groups)
    if full
      resetSimulator();
    end
    check = groups{k};
    try
      note = check(n);
      passed = passed + 1;
      if isempty(note)
        status = 'ok';
      else
        status = ['ok (' note ')'];
      end
    catch err
      status = ['FAILED: ' err.message];
      if ~strcmp(err.identifier, 'qorin:selftest:check') && ~isempty(err.identifier)
        status = ['FAILED: ' err.identifier ': ' err.message];
      end
    end
    fprintf('  %-24s %s\n', [names{k} ':'], status);
  end
  fprintf('qorin.selftest: %d of %d groups passed\n', passed, numel(groups));
  ok = passed == numel(groups);
end

% --- checks against the simulated SDK; each starts from a reset simulator -------------------

function note = checkModule(~)
  note = '';
  about = qorin.info();
  expect(strcmp(about.sdk, 'simulator'), 'qorin.info does not report the simulator');
  expect(exist(about.sdkLibrary, 'file') == 2, ['no SDK library at ''' about.sdkLibrary '''']);
  expect(strcmp(about.builtFor, about.host), ['a module built for ' about.builtFor ' runs in ' about.host]);
  qorinsim('attach', 3);
  about = qorin.info();
  expect(isequal(about.cameras, 3), 'qorin.info does not count 3 attached cameras');
  list = qorincam('commands');
  expect(any(strcmp({list.name}, 'version')), 'qorincam(''commands'') does not list ''version''');
end

function note = checkConnect(~)
  note = '';
  qorinsim('attach', 2);
  qorincam(-1, 2);
  expect(qorincam(6, 2) && qorinsim('get', 2, 'open'), 'camera 2 is not open after connecting it');
  expect(~qorincam(6, 1) && ~qorinsim('get', 1, 'open'), 'camera 1 opened with camera 2');
  list = qorin.cameras();
  expect(isequal([list.connected], [false true]), 'qorin.cameras does not list camera 2 alone as connected');
  qorincam(-2, 2);
  expect(~qorincam(6, 2) && ~qorinsim('get', 2, 'open'), 'camera 2 is still open after disconnecting it');
  qorincam(-1, 2);
  expect(qorincam(6, 2), 'camera 2 does not connect again');
end

function note = checkGrabs(~)
  note = '';
  % A colour (RGGB) sensor arrives with its rows reversed; a monochrome one as it is.
  qorinsim('attach', 3);
  A = testFrame(6, 8, 'uint8', 1);
  B = testFrame(5, 7, 'uint8', 2);
  C = testFrame(4, 6, 'uint16', 3);
  qorinsim('set', 1, 'format', struct('width', 8, 'height', 6), 'frame', A);
  qorinsim('set', 2, 'colour', false, 'format', struct('width', 7, 'height', 5), 'frame', B);
  qorinsim('set', 3, 'colour', false, 'format', struct('width', 6, 'height', 4, 'pixelFormat', 1), 'frame', C);
  qorincam(0, 1);
  expect(qorinsim('get', 1, 'streaming') && ~isempty(qorinsim('get', 1, 'window')), 'no stream or window after starting the preview');
  expect(isequal(qorincam(76, 1), A(end:-1:1, :)), 'raw grab of a colour camera');
  expect(isequal(qorincam(7, 1), upsideDown(simulatedRgb(A, true))), 'RGB grab of a colour camera');
  qorincam(1, 1);
  expect(~qorinsim('get', 1, 'streaming') && isempty(qorinsim('get', 1, 'window')), 'stream or window left after stopping the preview');
  qorincam(0, 2);
  expect(isequal(qorincam(76, 2), B), 'raw grab of a monochrome camera');
  expect(isequal(qorincam(75, 2), B), 'monochrome grab of a monochrome camera');
  expect(isequal(qorincam(7, 2), cat(3, B, B, B)), 'RGB grab of a monochrome camera');
  qorincam(0, 3);
  expect(isequal(qorincam(76, 3), C) && isequal(qorincam(75, 3), C), '16-bit raw or monochrome grab');
  expectError(@() qorincam(0, 2), 'qorincam:state', 'starting a running preview again');
end

function note = checkSnapshot(~)
  note = '';
  A = testFrame(6, 8, 'uint8', 4);
  qorinsim('set', 1, 'format', struct('width', 8, 'height', 6), 'frame', A);
  qorincam(-1, 1);
  P = qorincam(13, 1);
  expect(isa(P, 'uint8') && isequal(P, upsideDown(simulatedRgb(A, true))), 'snapshot without a preview');
  qorincam(0, 1);
  expect(isequal(qorincam(13, 1), P), 'snapshot during a preview');
  expect(qorinsim('get', 1, 'streaming'), 'the preview does not run again after the snapshot');
end

function note = checkBurst(~)
  note = '';
  F = cat(3, testFrame(6, 8, 'uint8', 5), testFrame(6, 8, 'uint8', 6), testFrame(6, 8, 'uint8', 7));
  qorinsim('set', 1, 'format', struct('width', 8, 'height', 6), 'frames', F);
  qorincam(-1, 1);
  P = qorincam(87, 1, 3);
  expect(isa(P, 'uint8') && isequal(size(P), [6 8 3 3]), 'size or class of a burst of 3');
  for k = 1:3
    expect(isequal(P(:, :, :, k), upsideDown(simulatedRgb(F(:, :, k), true))), sprintf('frame %d of the burst', k));
  end
  expect(~qorinsim('get', 1, 'fastFrames'), 'fast-frame mode left on after the burst');
end

function note = checkRecording(~)
  note = '';
  % Three frames recorded in the background into the buffer and a TIFF file, each read back
  % as the raw grab gives it.
  F = cat(3, testFrame(6, 8, 'uint8', 8), testFrame(6, 8, 'uint8', 9), testFrame(6, 8, 'uint8', 10));
  qorinsim('set', 1, 'format', struct('width', 8, 'height', 6), 'frames', F);
  qorincam(-1, 1);
  file = [tempname() '.tif'];
  cleanup = onCleanup(@() stopAndDelete(1, file));
  qorincam('startRecording', 1, 'frames', 3, 'file', file);
  expect(qorincam('waitFrames', 1, 3, 10), 'three frames within 10 s');
  qorincam('stopRecording', 1);
  [frames, meta] = qorincam('getFrames', 1);
  expect(isequal(frames, upsideDown(F)) && isequal([meta.sequence], 1:3), 'the frames recorded');
  for k = 1:3
    expect(isequal(imread(file, k), frames(:, :, k)), sprintf('page %d of the file', k));
  end
  s = qorincam('recordingStatus', 1);
  expect(s.written == 3 && any(strcmp(s.stopReason, {'stopped', 'frames'})), 'the status');
end

function stopAndDelete(n, file)
  % A failed check may leave the recording writing its file: it stops first, closing it.
  stopQuietly(n);
  if exist(file, 'file')
    delete(file);
  end
end

function stopQuietly(n)
  try
    qorincam('stopRecording', n);
  catch
  end
end

function note = checkSync(~)
  note = '';
  qorinsim('attach', 2);
  A = testFrame(6, 8, 'uint8', 8);
  B = testFrame(6, 8, 'uint8', 9);
  qorinsim('set', 1, 'format', struct('width', 8, 'height', 6), 'frame', A);
  qorinsim('set', 2, 'format', struct('width', 8, 'height', 6), 'frame', B);
  qorincam(-1, 2);
  qorincam(-1, 1);
  P = qorin.syncSnapshots();
  expect(isequal(size(P), [6 8 3 2]), 'size of two synchronous snapshots');
  expect(isequal(P(:, :, :, 1), upsideDown(simulatedRgb(B, true))), 'slab 1 is not camera 2, connected first');
  expect(isequal(P(:, :, :, 2), upsideDown(simulatedRgb(A, true))), 'slab 2 is not camera 1');
  expect(~qorinsim('get', 1, 'syncSnapshots'), 'synchronous-snapshot mode left on');
end

function note = checkSettings(~)
  note = '';
  c = qorin.Camera(1);
  c.exposure = 25;
  c.gain = 4;
  value = qorinsim('get', 1, 'property', 20);
  expect(c.exposure == 25 && value(1) == 25, 'exposure not written or read back');
  value = qorinsim('get', 1, 'property', 40);
  expect(c.gain == 4 && value(1) == 4, 'gain not written or read back');
  c.frameSize = [64 48];
  expect(isequal(c.frameSize, [64; 48]), 'frame size not written or read back');
  c.setSnapshotExposure(12.5);
  c.setSnapshotGain(3);
  c.snapshot16Bit = true;
  qorinsim('clearcalls');
  P = c.snapshot();
  expect(isa(P, 'uint16') && isequal(size(P), [48 64 3]), 'a 16-bit snapshot of the new size');
  calls = qorinsim('calls');
  snapshots = calls(strcmp({calls.name}, 'QorinTakeSnapshot'));
  expect(numel(snapshots) == 1, 'one snapshot call');
  settings = snapshots(1).args{1};
  expect(settings.exposure == 12.5 && settings.gain == 3, 'snapshot exposure or gain not handed to the SDK');
  r = c.range('gain');
  expect(isequal(r, [1; 16]), 'gain range');
end

function note = checkErrors(~)
  note = '';
  expectError(@() qorincam(13), 'qorincam:usage', 'a snapshot without its camera number');
  expectError(@() qorincam('no such command'), 'qorincam:usage', 'an unknown command name');
  expectError(@() qorincam(13, 1), 'qorincam:notConnected', 'a snapshot of a camera not connected');
  qorincam(-1, 1);
  expectError(@() qorincam(-1, 1), 'qorincam:state', 'connecting a connected camera');
  try
    qorincam(-1, 1);
  catch err
    expect(~isempty(strfind(err.message, 'Camera 1 is already connected.')), ['message: ' err.message]);
  end
  expectError(@() qorincam(7, 1), 'qorincam:state', 'a grab without a preview');
  expectError(@() qorincam(15, 1, -1), 'qorincam:value', 'a negative snapshot exposure');
  qorinsim('fail', 'QorinTakeSnapshot', 5);
  expectError(@() qorincam(13, 1), 'qorincam:sdk', 'a snapshot the SDK fails');
  expect(size(qorincam(13, 1), 3) == 3, 'the snapshot after a failed one');
end

function note = checkObject(~)
  note = '';
  qorinsim('attach', 2);
  c = qorin.Camera(1);
  d = c;
  clear c
  expect(qorincam(6, 1), 'camera 1 closed while a reference to its object remains');
  clear d
  expect(~qorincam(6, 1), 'camera 1 still connected after its object is gone');
  qorinsim('clearcalls');
  p = qorin.Camera();
  expect(p.number == 0 && isempty(qorinsim('calls')), 'qorin.Camera() is not a placeholder that calls nothing');
  expect(~isempty(strfind(evalc('disp(p)'), 'placeholder')), 'display of a placeholder');
  c = qorin.Camera(1);
  c.disconnect();
  expect(~qorincam(6, 1), 'disconnect leaves camera 1 connected');
  qorincam(-1, 1);
  clear c
  expect(qorincam(6, 1), 'the object disconnected again what it had disconnected');
  qorincam(-2, 1);
  expectError(@() qorin.Camera(3), 'qorincam:notConnected', 'an object for a camera not attached');
  c = qorin.Camera(1);
  c.startRecording('frames', 2, 'buffer', 2);
  expect(c.waitFrames(2, 10), 'two frames recorded through the object within 10 s');
  [~, meta] = c.getFrames();
  expect(isstruct(meta) && isequal(size(meta), [2 1]) && isequal([meta.sequence], [1 2]), ...
         'the frames'' data from getFrames is not a 2-by-1 structure array');
  clear c
  if ~isMatlab()
    note = 'MATLAB-only cases skipped in Octave';
    return;
  end
  % MATLAB: string scalars, a saved and loaded copy, array growth, display of every kind.
  c = qorin.Camera(1);
  c.preview();
  expect(isequal(size(c.grab(string('raw'))), [480 640]), 'a grab kind given as a string scalar');
  c.stopPreview();
  file = [tempname() '.mat'];
  save(file, 'c');
  loaded = load(file);
  delete(file);
  copy = loaded.c;
  expect(copy.number == 1, 'the loaded copy lost its camera number');
  delete(copy);
  clear copy loaded
  expect(qorincam(6, 1), 'deleting a loaded copy disconnected the camera it never connected');
  delete(c);
  expect(~qorincam(6, 1), 'deleting the object disconnected nothing');
  expect(~isempty(strfind(evalc('disp(c)'), 'deleted')), 'display of a deleted object');
  qorinsim('clearcalls');
  cams(2) = qorin.Camera(2);
  expect(cams(1).number == 0 && ~qorincam(6, 1) && qorincam(6, 2), 'array growth connected the gap''s camera');
  calls = qorinsim('calls');
  opens = calls(strcmp({calls.name}, 'QorinCameraOpen'));
  expect(numel(opens) == 1, 'array growth opened more than the camera asked for');
  expect(~isempty(strfind(evalc('disp(cams)'), '1x2 qorin.Camera array')), 'display of an array');
  expect(~isempty(strfind(evalc('disp(qorin.Camera.empty)'), 'empty')), 'display of an empty array');
  clear cams
  expect(~qorincam(6, 2), 'camera 2 still connected after its array is gone');
end

% --- read-only checks of one camera ---------------------------------------------------------

function note = readConnect(n)
  note = '';
  count = qorincam(37);
  expect(n <= count, sprintf('camera %d is not attached (%d attached)', n, count));
  if qorincam(6, n)
    note = 'was connected';
  else
    qorincam(-1, n);
  end
  expect(qorincam(6, n), sprintf('camera %d does not report itself connected', n));
end

function note = readFormat(n)
  format = qorincam(62, n);
  frameSize = qorincam(12, n);
  expect(format.width > 0 && format.height > 0, 'the frame format has no size');
  expect(isequal(frameSize(:), [format.width; format.height]), 'frame size and frame format disagree');
  expect(format.frameRate > 0, 'the frame rate is not positive');
  note = sprintf('%dx%d, pixel format %d, %g fps', format.width, format.height, format.pixelFormat, format.frameRate);
end

function note = readSnapshot(n)
  format = qorincam(62, n);
  deep = qorincam(19, n);
  P = qorincam(13, n);
  rows = floor(format.height / max(format.yBinSub, 1));
  columns = floor(format.width / max(format.xBinSub, 1));
  expect(isequal(size(P), [rows columns 3]), sprintf('snapshot of size %s, expected [%d %d 3]', mat2str(size(P)), rows, columns));
  if deep
    expected = 'uint16';
  else
    expected = 'uint8';
  end
  expect(isa(P, expected), ['snapshot of class ' class(P) ', expected ' expected]);
  note = sprintf('%s %s', class(P), mat2str(size(P)));
end

function note = readPreview(n)
  note = '';
  try
    qorincam(0, n);
  catch err
    if strcmp(err.identifier, 'qorincam:state')
      note = 'already previewing: left running';
      return;
    end
    rethrow(err);
  end
  try
    P = qorincam(7, n);
    expect(size(P, 3) == 3, 'a grab from the preview');
  catch err
    qorincam(1, n);
    rethrow(err);
  end
  qorincam(1, n);
end

function note = readRanges(n)
  note = '';
  names = {'exposure', 'gain', 'gamma', 'contrast', 'brightness', 'hue', 'saturation'};
  codes = [14 16 52 53 54 55 56];
  for k = 1:numel(codes)
    r = qorincam(codes(k), n);
    expect(isnumeric(r) && numel(r) == 2 && all(isfinite(r)) && r(1) <= r(2), ...
           sprintf('%s range %s', names{k}, mat2str(r)));
  end
end

function note = readRecording(n)
  note = '';
  % Three frames of the video stream, recorded in the background and taken.
  try
    qorincam(-1, n);
  catch err
    if ~strcmp(err.identifier, 'qorincam:state')
      rethrow(err);
    end
  end
  qorincam('startRecording', n, 'frames', 3, 'buffer', 3);
  stopping = onCleanup(@() stopQuietly(n));
  ready = qorincam('waitFrames', n, 3, 10);
  qorincam('stopRecording', n);
  expect(ready, 'three frames within 10 s');
  [frames, meta] = qorincam('getFrames', n);
  expect(size(frames, 3) == 3 && isequal([meta.sequence], 1:3), 'three frames taken');
  note = sprintf('%d frames in %.3f s', numel(meta), meta(end).timestamp);
end

function leaveAsFound(n, wasConnected)
  if ~wasConnected
    try
      qorincam(-2, n);
    catch
    end
  end
end

% --- helpers ----------------------------------------------------------------------------------

function resetSimulator()
  % Unloading the module closes every camera it connected; then the simulator's defaults.
  clear('qorincam');
  qorinsim('reset');
end

function tf = isMatlab()
  tf = exist('OCTAVE_VERSION', 'builtin') == 0;
end

function expect(condition, what)
  if ~condition
    error('qorin:selftest:check', '%s', what);
  end
end

function expectError(f, identifier, what)
  try
    f();
  catch err
    expect(strcmp(err.identifier, identifier), sprintf('%s raised %s (%s), expected %s', what, ...
           err.identifier, err.message, identifier));
    return;
  end
  expect(false, sprintf('%s raised no error, expected %s', what, identifier));
end

function A = testFrame(rows, columns, type, seed)
  % A frame of distinct, irregular samples that a mirrored or shifted image cannot match.
  k = (0:rows * columns - 1) + 7 * seed;
  if strcmp(type, 'uint16')
    A = uint16(reshape(mod(k * 4099 + 17, 65521), rows, columns));
  else
    A = uint8(reshape(mod(k * 37 + 11, 251), rows, columns));
  end
end

function B = upsideDown(A)
  B = A(end:-1:1, :, :, :);
end

function P = simulatedRgb(A, colour)
  % The RGB picture the simulator's conversion makes of raw frame A (sim/README.md): on an
  % RGGB sensor red at odd rows and columns (1-based), blue at even ones, green the floor of
  % the mean of the cell's two greens, the last row and column reusing their neighbours.
  if ~colour
    P = cat(3, A, A, A);
    return;
  end
  [rows, columns] = size(A);
  top = 1:rows;
  top = top - mod(top - 1, 2);
  left = 1:columns;
  left = left - mod(left - 1, 2);
  bottom = min(top + 1, rows);
  right = min(left + 1, columns);
  W = double(A);
  P = cast(cat(3, W(top, left), floor((W(top, right) + W(bottom, left)) / 2), W(bottom, right)), class(A));
end

function demo_record_to_tiff (out_dir, frames)
  % DEMO_RECORD_TO_TIFF  a recording of the video stream into a multipage TIFF while MATLAB goes on.
  %   demo_record_to_tiff (out_dir, frames) records frames (default 120) frames of camera 1
  %   at its frame rate into out_dir/recording.tif (default folder: the current one), one raw
  %   page per frame.  While the module records, MATLAB is free: here it reports progress
  %   every half second until the recording ends by itself.  Then it prints what was
  %   recorded and the times of the first and last frames, and reads the first and last
  %   pages back, comparing them with the frames in memory.  Against the simulator the
  %   camera delivers its frames at the frame rate, as a camera does.
  if nargin < 1
    out_dir = pwd ();
  end
  if nargin < 2
    frames = 120;
  end
  about = qorin.info ();
  if strcmp (about.sdk, 'simulator')
    qorinsim ('set', 1, 'timing', 'realtime');   % the simulator: frames at the frame rate
  end
  cam = qorin.Camera (1);
  cam.frameSize = [640 480];
  file = fullfile (out_dir, 'recording.tif');
  fprintf ('recording %d frames at %g fps into %s\n', frames, cam.frameRate, file);
  % A buffer of as many frames as the recording keeps them all for getFrames at the end.
  cam.startRecording ('frames', frames, 'buffer', frames, 'file', file, 'overwrite', true);

  % The module records on its own; MATLAB is free meanwhile, and here only reports progress.
  s = cam.recordingStatus ();
  while s.running
    pause (0.5);
    s = cam.recordingStatus ();
    fprintf ('  %d of %d frames, %d pages written\n', s.acquired, frames, s.written);
  end
  cam.stopRecording ();                           % the file is complete and closed
  s = cam.recordingStatus ();
  fprintf ('acquired %d, dropped %d, written %d (stopped: %s)\n', s.acquired, s.dropped, s.written, s.stopReason);

  [first, firstMeta] = cam.getFrames (1);         % the oldest frame, raw
  [last, lastMeta] = cam.peekFrame ('raw');       % the newest, left in the buffer
  elapsed = lastMeta.timestamp - firstMeta.timestamp;
  fprintf ('frame %d at %.3f s, frame %d at %.3f s', firstMeta.sequence, firstMeta.timestamp, ...
           lastMeta.sequence, lastMeta.timestamp);
  if elapsed > 0
    fprintf (': %.1f frames per second', (lastMeta.sequence - firstMeta.sequence) / elapsed);
  end
  fprintf ('\n');

  % One page per frame: page k holds frame k when every frame reached the file.
  info = imfinfo (file);
  pages = numel (info);
  pageFirst = imread (file, 1);
  pageLast = imread (file, pages);
  fprintf ('%d pages of %dx%d, %d bit\n', pages, info(1).Width, info(1).Height, info(1).BitDepth);
  if isfield (info, 'ImageDescription') && ~isempty (info(1).ImageDescription)
    % Its last line is the page's own; ImageJ's lines (ImageJ=, images=, frames=, finterval=)
    % come before it in the first page.
    own = regexp (info(1).ImageDescription, '[^\n]*$', 'match', 'once');
    fprintf ('page 1: %s\n', own);   % sequence=1 timestamp=... missed=0
  end
  if ~isequal (size (pageFirst), size (first)) || ~isequal (size (pageLast), size (last))
    error ('demo_record_to_tiff:size', 'The pages of %s do not have the size of the frames.', file);
  end
  if s.notWritten == 0 && firstMeta.sequence == 1 && lastMeta.sequence == pages
    fprintf ('pages 1 and %d equal the frames in memory: %d\n', pages, ...
             isequal (pageFirst, first) && isequal (pageLast, last));
  end
end

function demo_mono16 (out_dir)
  % DEMO_MONO16  a 16-bit monochrome capture written as a 16-bit PNG.
  %   demo_mono16 (out_dir) switches camera 1 to 16-bit video, grabs a monochrome frame
  %   from the preview and a 16-bit snapshot, and writes the frame to out_dir/mono16.png
  %   (default: the current folder).  Against the simulator it uses a monochrome camera.
  if nargin < 1
    out_dir = pwd ();
  end
  about = qorin.info ();
  if strcmp (about.sdk, 'simulator')
    qorinsim ('set', 1, 'colour', false);   % the simulator: a monochrome sensor
  end
  cam = qorin.Camera (1);
  cam.video16Bit = true;
  cam.snapshot16Bit = true;
  cam.preview ();
  mono = cam.grab ('mono');                  % [rows, cols] uint16
  cam.stopPreview ();
  still = cam.snapshot ();                   % [rows, cols, 3] uint16, the grey in all planes
  fprintf ('video frame: %s %s, levels %d..%d of 65535\n', class (mono), mat2str (size (mono)), min (mono(:)), max (mono(:)));
  fprintf ('snapshot:    %s %s\n', class (still), mat2str (size (still)));
  file = fullfile (out_dir, 'mono16.png');
  imwrite (mono, file);
  fprintf ('written to %s\n', file);
end

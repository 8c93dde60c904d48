## Save 77: the buffer and pixel format handed to the SDK by video depth, raw name and monochrome choice.

%!function [img, maxval] = read_pnm (name)
%!  fid = fopen (name, "rb");
%!  assert (fid >= 0, ["cannot open " name]);
%!  magic = fgetl (fid);
%!  dims = sscanf (fgetl (fid), "%d");
%!  maxval = sscanf (fgetl (fid), "%d");
%!  planes = 1 + 2 * strcmp (magic, "P6");
%!  if (maxval > 255)
%!    data = fread (fid, Inf, "uint16=>uint16", 0, "ieee-be");
%!  else
%!    data = fread (fid, Inf, "uint8=>uint8");
%!  endif
%!  fclose (fid);
%!  img = permute (reshape (data, planes, dims(1), dims(2)), [3 2 1]);
%!endfunction

%!function name = save_frame (file, mono)
%!  name = fullfile (tempdir (), file);
%!  if (exist (name, "file"))
%!    delete (name);
%!  endif
%!  qorinsim ("clearcalls");
%!  qorincam (77, 1, name, mono);
%!endfunction

%!function args = save_args ()
%!  calls = qorinsim ("calls");
%!  args = calls(strcmp ({calls.name}, "QorinSaveImageEx")).args;
%!endfunction

%!test
%! ## 8-bit colour camera: raw names get the raw frame (format 0), others the grey (0) or
%! ## the RGB picture (2); nothing is mirrored, whatever the flipping.
%! qorin_reset ();
%! A = uint8 (reshape (randperm (250, 15), 3, 5));
%! qorinsim ("set", 1, "format", struct ("width", 5, "height", 3), "frame", A);
%! qorinsim ("property", 1, 66, 3);
%! qorincam (0, 1);
%! for file = {"frame.raw", "FRAME.RAW", "frame.raw.tif", "x.RAW.y"}
%!   name = save_frame (file{1}, true);
%!   assert (read_pnm (name), A);
%!   assert (save_args ()(1:4), {5, 3, 0, reshape(A.', 1, [])});   # the raw frame's bytes, row by row
%!   delete (name);
%! endfor
%! name = save_frame ("frame.Raw", false);          # not a raw name: the RGB picture
%! assert (read_pnm (name), qorin_sim_rgb (A, true));
%! args = save_args ();
%! assert (args([1:3 5]), {5, 3, 2, name});
%! assert (qorin_last_args ("QorinConvertFrameToRgb24"){2}, reshape (A.', 1, []));
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetFormat", "QorinGetProperty", "QorinTakeVideo", ...
%!   "QorinGetProperty", "QorinGetProperty", "QorinConvertFrameToRgb24", "QorinSaveImageEx"});
%! delete (name);
%! name = save_frame ("a.bmp", true);
%! W = double (A);  G = zeros (size (A));
%! for i = 1:3
%!   for j = 1:5
%!     t = i - mod (i - 1, 2);  l = j - mod (j - 1, 2);
%!     b = min (t + 1, 3);      r = min (l + 1, 5);
%!     G(i, j) = floor ((W(t, l) + W(t, r) + W(b, l) + W(b, r)) / 4);
%!   endfor
%! endfor
%! assert (read_pnm (name), uint8 (G));
%! assert (save_args ()(3), {0});
%! assert (qorin_call_names ("QorinNumCameras")(end-1:end), {"QorinConvertFrameToGreyscale8", "QorinSaveImageEx"});
%! delete (name);
%! assert (qorinsim ("get", 1, "streaming"), true);

%!test
%! ## 16-bit monochrome camera: raw frame (1), grey-16 (1) or the 48-bit picture (7).
%! qorin_reset ();
%! A = uint16 ([4660 1 65535; 258 2 300]);
%! qorinsim ("set", 1, "format", struct ("width", 3, "height", 2, "pixelFormat", 1), "colour", false, "frame", A);
%! qorincam (0, 1);
%! name = save_frame ("b.raw", false);
%! [img, maxval] = read_pnm (name);
%! assert (img, A);
%! assert (maxval, 65535);
%! raw = typecast (reshape (A.', 1, []), "uint8");  # little-endian words, row by row
%! assert (save_args ()(3:4), {1, raw});
%! delete (name);
%! name = save_frame ("b.pgm", true);
%! assert (read_pnm (name), A);
%! assert (save_args ()(3), {1});
%! assert (qorin_last_args ("QorinConvertFrameToGreyscale16"){2}, raw);
%! delete (name);
%! name = save_frame ("b.ppm", false);
%! S = bitand (bitor (bitshift (A, 8), bitshift (A, -8)), uint16 (65520));
%! assert (read_pnm (name), cat (3, S, S, S));
%! assert (save_args ()(3:4), {7, typecast(repelem (reshape (S.', 1, []), 3), "uint8")});
%! delete (name);

%!test
%! ## Failures: each with its message and no file.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (-1, 1);
%! name = fullfile (tempdir (), "qorin_fail.raw");
%! qorin_assert_error (@() qorincam (77, 1, name, false), "Could not capture a frame, not previewing.");
%! qorincam (0, 1);
%! cases = {
%!   "qorin_fail.raw", false, "QorinGetFormat", 0, "An error occured while obtaining the frame format.\n"
%!   "qorin_fail.raw", false, "QorinGetProperty", 0, "An error occured while obtaining the color format.\n"
%!   "qorin_fail.raw", false, "QorinTakeVideo", 0, "An error occured while trying to take a video frame."
%!   "qorin_fail.raw", false, "QorinGetProperty", 1, "Error acquiring the correction matrix."
%!   "qorin_fail.raw", false, "QorinGetProperty", 2, "Error acquiring the demosaic method."
%!   "qorin_fail.raw", false, "QorinConvertFrameToRgb24", 0, "Failed to convert frame to RGB24."
%!   "qorin_fail.pgm", true,  "QorinConvertFrameToGreyscale8", 0, "Could not convert to 8-bit grey scale. Image not saved."
%!   "qorin_fail.pgm", false, "QorinSaveImageEx", 0, "Image save not successful."
%! };
%! for k = 1:rows (cases)
%!   [file, mono, fn, skip, msg] = cases{k, :};
%!   name = fullfile (tempdir (), file);
%!   qorinsim ("fail", fn, 9, 1, skip);
%!   qorin_assert_error (@() qorincam (77, 1, name, mono), msg);
%!   assert (! exist (name, "file"));
%! endfor
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 1));
%! qorinsim ("fail", "QorinConvertFrameToGreyscale16", 9);
%! qorin_assert_error (@() qorincam (77, 1, name, true), "Could not convert to 16-bit grey scale. Image not saved.");
%! qorinsim ("fail", "QorinConvertFrameToRgb48", 9);
%! qorin_assert_error (@() qorincam (77, 1, name, false), "Failed to convert frame to RGB48.");
%! qorin_assert_error (@() qorincam (77, 1, fullfile (tempdir (), "no_such_dir_q", "x.pgm"), false), ...
%!   "Image save not successful.");
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 3));
%! qorin_assert_error (@() qorincam (77, 1, name, false), "YUV422 mode is not supported.");

%!test
%! ## The whole name reaches the SDK, however long; a name that is not text is refused.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (0, 1);
%! dir = fullfile (tempdir (), ["qorin_" repmat("d", 1, 120)]);
%! mkdir (dir);
%! name = fullfile (dir, [repmat("f", 1, 200) ".pgm"]);
%! assert (numel (name) > 300);
%! qorincam (77, 1, name, true);
%! assert (save_args ()(5), {name});
%! assert (exist (name, "file") == 2);
%! delete (name);
%! rmdir (dir);
%! name = save_frame ("qorin_Łukasz_é.pgm", true);   # Octave's text is UTF-8 already: byte for byte
%! assert (save_args ()(5), {name});
%! assert (exist (name, "file") == 2);
%! delete (name);
%! qorinsim ("clearcalls");
%! msg = "The file name must be a character array.";
%! qorin_assert_error (@() qorincam (77, 1, 5, true), msg);
%! qorin_assert_error (@() qorincam (77, 1, {"a.raw"}, true), msg);
%! qorin_assert_error (@() qorincam (77, 1, ["a" char(0) ".raw"], true), "The file name must not contain a null character.");
%! assert (numel (qorinsim ("calls")), 0);
%! qorin_assert_error (@() qorincam (77, 1, "a.raw", 1), "Parameter 4 must be a boolean.");

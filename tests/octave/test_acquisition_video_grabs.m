## Video grabs 76 (raw), 75 (monochrome) and 7 (RGB) from a running preview.

%!function setup_camera (rows, cols, colour, pixel_format, A)
%!  qorin_reset ();
%!  qorinsim ("set", 1, "format", struct ("width", cols, "height", rows, "pixelFormat", pixel_format), ...
%!            "colour", colour, "frame", A);
%!  qorincam (0, 1);
%!endfunction

%!test
%! ## Monochrome sensor: every flipping value, all three grabs, against the frame itself.
%! A = uint8 (reshape (randperm (35) + 100, 5, 7));
%! setup_camera (5, 7, false, 0, A);
%! for f = [0 1 2 3 1.5 -1]
%!   qorinsim ("property", 1, 66, f);
%!   rr = any (f == [2 3]);  cr = any (f == [1 3]);
%!   E = qorin_orient (A, rr, cr);
%!   R = qorincam (76, 1);
%!   assert (class (R), "uint8");
%!   assert (R, E);
%!   assert (qorincam (75, 1), E);
%!   P = qorincam (7, 1);
%!   assert (size (P), [5 7 3]);
%!   assert (P, cat (3, E, E, E));
%! endfor
%! assert (qorinsim ("get", 1, "streaming"), true);   # the preview keeps running

%!test
%! ## Colour (RGGB) sensor: rows always reversed, columns for flipping 1 and 3; planes R, G, B.
%! A = uint8 (reshape (randperm (200, 30), 5, 6));
%! setup_camera (5, 6, true, 0, A);
%! P0 = qorin_sim_rgb (A, true);
%! for f = [0 1 2 3]
%!   qorinsim ("property", 1, 66, f);
%!   cr = any (f == [1 3]);
%!   assert (qorincam (76, 1), qorin_orient (A, true, cr));
%!   P = qorincam (7, 1);
%!   assert (class (P), "uint8");
%!   assert (P, qorin_orient (P0, true, cr));
%! endfor
%! ## Planes are red, green, blue: the red plane comes from the even-even samples.
%! qorinsim ("property", 1, 66, 0);
%! P = qorincam (7, 1);
%! assert (P(end, 1, 1), A(1, 1));
%! assert (P(end, 1, 3), A(2, 2));

%!test
%! ## 16-bit monochrome: raw and grey words unchanged; RGB words exchanged and masked,
%! ## or only masked when the demosaic read leaves the flags word 0x80000000.
%! A = uint16 ([hex2dec("1234") 1 65535; 4660 0 32769]);
%! setup_camera (2, 3, false, 1, A);
%! R = qorincam (76, 1);
%! assert (class (R), "uint16");
%! assert (R, A);
%! assert (qorincam (75, 1), A);
%! swapped = bitand (bitor (bitshift (A, 8), bitshift (A, -8)), uint16 (65520));
%! qorinsim ("property", 1, 64, 0, 1);
%! assert (qorincam (7, 1), cat (3, swapped, swapped, swapped));
%! qorinsim ("property", 1, 64, 0, 2147483648);
%! masked = bitand (A, uint16 (65520));
%! P = qorincam (7, 1);
%! assert (class (P), "uint16");
%! assert (P, cat (3, masked, masked, masked));
%! assert (P(1, 1, 2), uint16 (hex2dec ("1230")));
%! ## The flags of an earlier read do not count: only the demosaic read's word does.
%! qorinsim ("property", 1, 64, 0, 0);
%! qorinsim ("property", 1, 80, 0, 2147483648);
%! assert (qorincam (7, 1), cat (3, swapped, swapped, swapped));

%!test
%! ## 16-bit colour: the RGB48 conversion, rows reversed.
%! A = uint16 (reshape (1000:1000:24000, 4, 6));
%! setup_camera (4, 6, true, 1, A);
%! assert (qorincam (7, 1), qorin_orient (qorin_sim_rgb (A, true), true, false));

%!test
%! ## Subsampling 2 x 2 of 1280 x 1024 gives 512 x 640; call order of the RGB grab.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 1280, "height", 1024, "xBinSub", 2, "yBinSub", 2));
%! qorincam (0, 1);
%! assert (size (qorincam (76, 1)), [512 640]);
%! assert (size (qorincam (75, 1)), [512 640]);
%! qorinsim ("clearcalls");
%! assert (size (qorincam (7, 1)), [512 640 3]);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetFormat", "QorinGetProperty", "QorinTakeVideo", ...
%!         "QorinGetProperty", "QorinGetProperty", "QorinConvertFrameToRgb24", "QorinGetProperty"});
%! calls = qorinsim ("calls");
%! props = cellfun (@(a) a{1}, {calls(strcmp ({calls.name}, "QorinGetProperty")).args});
%! assert (props, [80 65 64 66]);
%! conv = calls(strcmp ({calls.name}, "QorinConvertFrameToRgb24")).args;
%! assert (conv(3:5), {640, 512, 0});

%!test
%! ## A camera without a preview: refused before any SDK call besides the connection check.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! for code = [76 75 7]
%!   qorin_assert_error (@() qorincam (code, 1), "Could not capture a frame, not previewing.");
%! endfor
%! assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));
%! qorin_assert_error (@() qorincam (7, 2), "Not enough cameras connected.");
%! qorinsim ("attach", 2);
%! qorin_assert_error (@() qorincam (76, 2), "Camera ID not found.");
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (75, 2), "Could not capture a frame. Camera 2 is not connected.");

%!test
%! ## Formats the grabs refuse: YUV, a zero binning factor, pixel formats without a sample width.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 3));
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (7, 1), "YUV422 mode is not supported.");
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetFormat"});
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 0, "xBinSub", 0));
%! qorin_assert_error (@() qorincam (76, 1), "An error occured while obtaining the frame format.\n");
%! qorinsim ("set", 1, "format", struct ("xBinSub", 1, "yBinSub", 0));
%! qorin_assert_error (@() qorincam (75, 1), "An error occured while obtaining the frame format.\n");
%! qorinsim ("set", 1, "format", struct ("yBinSub", 1, "pixelFormat", 7));
%! qorin_assert_error (@() qorincam (7, 1), "Pixel format 7 is not supported.");
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 2));
%! qorin_assert_error (@() qorincam (76, 1), "Pixel format 2 is not supported.");
%! ## A frame too large to address gets the allocation message, not a wrapped size.
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 1, "width", 4294967295, "height", 4294967295));
%! qorin_assert_error (@() qorincam (76, 1), "Not enough memory to make raw frame buffer.");

%!test
%! ## Every SDK failure of the grabs, with its message; the preview keeps running.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 4, "height", 2));
%! qorincam (0, 1);
%! cases = {
%!   7,  "QorinGetFormat",    0, "An error occured while obtaining the frame format.\n"
%!   76, "QorinGetProperty",  0, "An error occured while obtaining the color format.\n"
%!   75, "QorinTakeVideo",    0, "An error occured while trying to take a video frame."
%!   76, "QorinGetProperty",  1, "Error getting flipping property."
%!   75, "QorinGetProperty",  1, "Error acquiring the correction matrix."
%!   75, "QorinGetProperty",  2, "Error acquiring the demosaic method."
%!   75, "QorinConvertFrameToGreyscale8", 0, "Failed to convert to 8-bit monochrome"
%!   75, "QorinGetProperty",  3, "Error getting flipping property."
%!   7,  "QorinGetProperty",  1, "Error acquiring the correction matrix."
%!   7,  "QorinGetProperty",  2, "Error acquiring the demosaic method."
%!   7,  "QorinConvertFrameToRgb24", 0, "Failed to convert frame to RGB24."
%!   7,  "QorinGetProperty",  3, "Error getting flipping property."
%! };
%! for k = 1:rows (cases)
%!   [code, name, skip, msg] = cases{k, :};
%!   qorinsim ("fail", name, 9, 1, skip);
%!   qorin_assert_error (@() qorincam (code, 1), msg);
%!   qorinsim ("fail", name, 9, 0);
%! endfor
%! assert (qorinsim ("get", 1, "streaming"), true);
%! qorinsim ("set", 1, "format", struct ("pixelFormat", 1));
%! qorinsim ("fail", "QorinConvertFrameToGreyscale16", 9);
%! qorin_assert_error (@() qorincam (75, 1), "Failed to convert to 16-bit monochrome");
%! qorinsim ("fail", "QorinConvertFrameToRgb48", 9);
%! qorin_assert_error (@() qorincam (7, 1), "Failed to convert frame to RGB48.");
%! assert (size (qorincam (7, 1)), [2 4 3]);

## RGB captures of monochrome sensors at sizes that run the vector, blocked and streaming copies.

%!function E = mono_rgb (A, flags, rows_reversed, cols_reversed)
%!  ## What the RGB commands make of a monochrome frame: 16-bit words exchanged unless the
%!  ## flags word is 0x80000000, then masked; the same plane three times.
%!  if (isa (A, "uint16"))
%!    if (flags != 2147483648)
%!      A = bitor (bitshift (A, 8), bitshift (A, -8));
%!    endif
%!    A = bitand (A, uint16 (65520));
%!  endif
%!  E = qorin_orient (A, rows_reversed, cols_reversed);
%!  E = cat (3, E, E, E);
%!endfunction

%!function E = mono_flipped (A, flags, f)
%!  ## mono_rgb of A as the flipping property's value f (0 to 3) orients it.
%!  E = mono_rgb (A, flags, any (f == [2 3]), any (f == [1 3]));
%!endfunction

%!function mono_snapshots (width, height, source, frames)
%!  ## Camera 1 connected, a monochrome sensor of width x height giving frames (the simulator's
%!  ## "frame" or "frames"), its snapshots 16-bit.
%!  qorin_reset ();
%!  qorinsim ("set", 1, "format", struct ("width", width, "height", height), "colour", false, source, frames);
%!  qorincam (-1, 1);
%!  qorincam (18, 1, true);
%!endfunction

%!function A = random_frame (rows, cols, cls)
%!  A = cast (randi ([0 double(intmax (cls))], rows, cols), cls);
%!endfunction

%!function c = ifelse_class (wide)
%!  if (wide)
%!    c = "uint16";
%!  else
%!    c = "uint8";
%!  endif
%!endfunction

%!test
%! ## Code 7, 8 and 16 bit, every flipping value and both flags words, at sizes with edge
%! ## tiles (97 x 131), with whole lines per column (704 x 1030, written past the caches)
%! ## and an 8-bit frame of more than 4 MiB of planes.
%! shapes = {[97 131 1], [704 1030 1], [97 131 0], [1280 1100 0]};
%! for s = 1:numel (shapes)
%!   rows = shapes{s}(1);  cols = shapes{s}(2);  wide = shapes{s}(3);
%!   A = random_frame (rows, cols, ifelse_class (wide));
%!   qorin_reset ();
%!   qorinsim ("set", 1, "format", struct ("width", cols, "height", rows, "pixelFormat", wide), ...
%!             "colour", false, "frame", A, "maxSize", [max(cols, 1280) max(rows, 1024)]);
%!   qorincam (0, 1);
%!   for flags = [0 2147483648]
%!     qorinsim ("property", 1, 64, 0, flags);
%!     for f = 0:3
%!       qorinsim ("property", 1, 66, f);
%!       P = qorincam (7, 1);
%!       assert (class (P), class (A));
%!       assert (isequal (P, mono_flipped (A, flags, f)), ...
%!               sprintf ("%dx%d %s flags %d flipping %d", rows, cols, class (A), flags, f));
%!     endfor
%!   endfor
%! endfor

%!test
%! ## The call order of a monochrome RGB grab is the colour one without the conversion; the
%! ## flags word of the flipping read, taken after the picture, does not count.
%! A = random_frame (300, 200, "uint16");
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("width", 200, "height", 300, "pixelFormat", 1), ...
%!           "colour", false, "frame", A);
%! qorincam (0, 1);
%! qorinsim ("property", 1, 64, 0, 2147483648);
%! qorinsim ("property", 1, 66, 3, 0);
%! qorinsim ("clearcalls");
%! assert (isequal (qorincam (7, 1), mono_rgb (A, 2147483648, true, true)));
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetFormat", "QorinGetProperty", "QorinTakeVideo", ...
%!         "QorinGetProperty", "QorinGetProperty", "QorinGetProperty"});
%! calls = qorinsim ("calls");
%! assert (cellfun (@(a) a{1}, {calls(strcmp ({calls.name}, "QorinGetProperty")).args}), [80 65 64 66]);
%! ## A failed flipping read after the array still raises its message.
%! qorinsim ("fail", "QorinGetProperty", 0, 1, 3);
%! qorin_assert_error (@() qorincam (7, 1), "Error getting flipping property.");
%! qorinsim ("fail", "QorinGetProperty", 0, 1, 2);
%! qorin_assert_error (@() qorincam (7, 1), "Error acquiring the demosaic method.");

%!test
%! ## Code 13, 16-bit snapshot of a large monochrome frame: every flipping value, both
%! ## flags words of the demosaic read; an 8-bit one through the same path.
%! A = random_frame (515, 771, "uint16");
%! mono_snapshots (771, 515, "frame", A);
%! for flags = [1 2147483648]
%!   qorinsim ("property", 1, 64, 0, flags);
%!   for f = 0:3
%!     qorinsim ("property", 1, 66, f);
%!     P = qorincam (13, 1);
%!     assert (isequal (P, mono_flipped (A, flags, f)), ...
%!             sprintf ("flags %d flipping %d", flags, f));
%!   endfor
%! endfor
%! B = random_frame (515, 771, "uint8");
%! qorinsim ("set", 1, "frame", B);
%! qorincam (18, 1, false);
%! qorinsim ("property", 1, 66, 1);
%! assert (isequal (qorincam (13, 1), mono_rgb (B, 0, false, true)));

%!test
%! ## Code 87, slabs of large monochrome frames: each slab its own frame in every
%! ## orientation; the colour-format read's flags word decides the 16-bit rule.
%! F = cast (randi ([0 65535], 301, 403, 3), "uint16");
%! mono_snapshots (403, 301, "frames", F);
%! for flags = [0 2147483648]
%!   qorinsim ("property", 1, 80, 0, flags);
%!   for f = 0:3
%!     qorinsim ("property", 1, 66, f);
%!     P = qorincam (87, 1, 3);
%!     assert (size (P), [301 403 3 3]);
%!     for k = 1:3
%!       assert (isequal (P(:, :, :, k), mono_flipped (F(:, :, k), flags, f)), ...
%!               sprintf ("flags %d flipping %d slab %d", flags, f, k));
%!     endfor
%!   endfor
%! endfor
%! ## 8-bit frames, and the call order without any conversion.
%! qorincam (18, 1, false);
%! G = cast (randi ([0 255], 301, 403, 2), "uint8");
%! qorinsim ("set", 1, "frames", G);
%! qorinsim ("property", 1, 66, 2);
%! qorinsim ("clearcalls");
%! P = qorincam (87, 1, 2);
%! for k = 1:2
%!   assert (isequal (P(:, :, :, k), mono_rgb (G(:, :, k), 0, true, false)));
%! endfor
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetProperty", "QorinGetFormat", ...
%!   "QorinEnableFastFrames", "QorinTakeFastFrame", "QorinTakeFastFrame", "QorinDisableFastFrames", ...
%!   "QorinGetProperty"});

%!test
%! ## Code 32: a 16-bit monochrome camera (mask-only rule), an 8-bit one widened into the
%! ## uint16 array with fewer rows, and a colour one, in slot order; rows reversed only.
%! qorin_reset (3);
%! A = random_frame (333, 260, "uint16");
%! B = random_frame (290, 260, "uint8");
%! C = random_frame (333, 260, "uint8");
%! qorinsim ("set", 1, "format", struct ("width", 260, "height", 333), "colour", false, "frame", A);
%! qorinsim ("set", 2, "format", struct ("width", 260, "height", 290), "colour", false, "frame", B);
%! qorinsim ("set", 3, "format", struct ("width", 260, "height", 333), "colour", true, "frame", C);
%! qorincam (-1, 1);  qorincam (-1, 2);  qorincam (-1, 3);
%! qorincam (18, 1, true);
%! qorinsim ("property", 1, 64, 0, 2147483648);
%! qorinsim ("property", 1, 66, 3);      # ignored: the orientation is fixed
%! qorinsim ("property", 2, 66, 3);
%! qorinsim ("clearcalls");
%! P = qorincam (32);
%! assert (class (P), "uint16");
%! assert (size (P), [333 260 3 3]);
%! assert (isequal (P(:, :, :, 1), mono_rgb (A, 2147483648, true, false)));
%! EB = [uint16(flipud (B)); zeros(43, 260, "uint16")];
%! assert (isequal (P(:, :, :, 2), cat (3, EB, EB, EB)));
%! assert (isequal (P(:, :, :, 3), uint16 (qorin_orient (qorin_sim_rgb (C, true), true, false))));
%! names = qorin_call_names ("QorinNumCameras");
%! assert (sum (strcmp (names, "QorinConvertFrameToRgb24")), 1);
%! assert (sum (strcmp (names, "QorinGetProperty")), 9);

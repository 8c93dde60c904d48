## The permanent buffer (codes 96 and 97).

%!test
%! ## Reading: a uint8 row in buffer order; a zero count still asks the SDK.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "permanentBuffer", uint8 (10:19));
%! assert (qorincam (96, 1, 2, 4), uint8 ([12 13 14 15]));
%! assert (qorin_last_args ("QorinPermanentBufferRead")(2:3), {2, 4});
%! qorinsim ("clearcalls");
%! assert (qorincam (96, 1, 0, 0), zeros (1, 0, "uint8"));
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinPermanentBufferRead"});
%! qorin_assert_error (@() qorincam (96, 1, 8, 3), "Could not read the permanent buffer.");

%!test
%! ## A negative count is refused before any SDK call.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (96, 1, 0, -1), "Count must be greater than or equal to 0.");
%! qorin_assert_error (@() qorincam (96, 1, 0, -2147483648), "Count must be greater than or equal to 0.");
%! assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));

%!test
%! ## Writing: text bytes, or numbers of any class by the byte rule; rows and columns alike.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "permanentBuffer", zeros (1, 16, "uint8"));
%! qorincam (97, 1, 0, "abc");
%! assert (qorin_last_args ("QorinPermanentBufferWrite"), {uint8("abc"), 0, 3});
%! qorincam (97, 1, 3, [1; 2; 300]);
%! assert (qorin_last_args ("QorinPermanentBufferWrite"), {uint8([1 2 44]), 3, 3});
%! qorincam (97, 1, 6, [255.9 256 -1 NaN Inf 1e20]);
%! assert (qorin_last_args ("QorinPermanentBufferWrite"), {uint8([255 0 255 0 0 0]), 6, 6});
%! qorincam (97, 1, 12, int16 ([-1 300]));
%! qorincam (97, 1, 14, single (65.7));
%! qorincam (97, 1, 15, uint8 (200));
%! assert (qorinsim ("get", 1, "permanentBuffer"), uint8 ([97 98 99 1 2 44 255 0 255 0 0 0 255 44 65 200]));
%! qorin_assert_error (@() qorincam (97, 1, 14, 1:3), "Could not write to the permanent buffer.");
%! qorin_assert_error (@() qorincam (97, 1, -1, 1), "Could not write to the permanent buffer.");
%! assert (qorin_last_args ("QorinPermanentBufferWrite")(2:3), {4294967295, 1});

%!test
%! ## An empty vector holds no element: its write is zero bytes long.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "permanentBuffer", uint8 ([1 2]));
%! qorincam (97, 1, 1, zeros (1, 0));
%! assert (qorin_last_args ("QorinPermanentBufferWrite"), {zeros(1, 0, "uint8"), 1, 0});
%! qorincam (97, 1, 0, char (zeros (0, 1)));
%! assert (qorin_last_args ("QorinPermanentBufferWrite"), {zeros(1, 0, "uint8"), 0, 0});
%! assert (qorinsim ("get", 1, "permanentBuffer"), uint8 ([1 2]));

%!test
%! ## Refusals in their order: shape, then class; none reaches the SDK.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorin_assert_error (@() qorincam (97, 1, 0, ones (2, 3)), "Input buffer must be a one-dimensional array.");
%! qorin_assert_error (@() qorincam (97, 1, 0, []), "Input buffer must be a one-dimensional array.");
%! qorin_assert_error (@() qorincam (97, 1, 0, {1, 2}), "Buffer data must be a character string or numeric.");
%! qorin_assert_error (@() qorincam (97, 1, 0, cell (1, 0)), "Buffer data must be a character string or numeric.");
%! qorin_assert_error (@() qorincam (97, 1, 0, struct ("a", {1, 2})), ...
%!   "Buffer data must be a character string or numeric.");
%! qorin_assert_error (@() qorincam (97, 1, 0, [true false]), "Buffer data must be a character string or numeric.");
%! assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));

%!test
%! ## Not-connected messages.
%! qorin_reset (2);
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (96, 2, 0, 1), "Could not read from permanent buffer. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (97, 2, 0, 1), "Could not write to permanent buffer. Camera 2 is not connected.");

## Frame rates: set with the preview suspended, list in the SDK's order, read widened from float.

%!test
%! ## Set: the format goes back unchanged with the new rate narrowed to float; a rate the
%! ## SDK accepts reads back as the float it stored.
%! qorin_reset ();
%! qorinsim ("set", 1, "format", struct ("xOffset", 4, "xBinSub", 2, "pixelFormat", 1));
%! qorincam (-1, 1);
%! before = qorinsim ("get", 1, "format");
%! qorinsim ("clearcalls");
%! qorincam (3, 1, 0.1);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinGetFormat", "QorinSetFormat"});
%! calls = qorinsim ("calls");
%! assert (calls(end).args{2}, 0.10000000149011612);
%! r = qorincam (33, 1);
%! assert (isscalar (r) && isa (r, "double"));
%! assert (r, 0.10000000149011612);
%! after = qorinsim ("get", 1, "format");
%! before.frameRate = after.frameRate;
%! assert (after, before);
%! qorincam (3, 1, 7.5);
%! assert (qorincam (33, 1), 7.5);

%!test
%! ## Set on a previewing camera: stop and destroy first, restart without a window after.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (3, 1, 15);
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", ...
%!         "QorinGetFormat", "QorinSetFormat", "QorinStreamVideoControl"});
%! calls = qorinsim ("calls");
%! assert (calls(end).args, {2, []});
%! assert (qorinsim ("get", 1, "streaming"), true);
%! qorincam (1, 1);

%!test
%! ## The rate is not checked by the module: the SDK's refusal gives the failure message,
%! ## and a failure after the stop leaves the stream stopped.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorin_assert_error (@() qorincam (3, 1, -5), "Failed to set frame rate.");
%! assert (qorinsim ("get", 1, "streaming"), false);
%! calls = qorinsim ("calls");
%! assert (calls(end).args{2}, -5);
%! qorinsim ("fail", "QorinGetFormat", 9);
%! qorin_assert_error (@() qorincam (3, 1, 5), "An error occured while obtaining the frame format.\n");
%! qorinsim ("fail", "QorinStreamVideoControl", 9);
%! qorin_assert_error (@() qorincam (3, 1, 5), "An error occured while stopping the video preview.\n");
%! qorinsim ("fail", "QorinDestroyDisplayWindow", 9);
%! qorin_assert_error (@() qorincam (3, 1, 5), "An error occured while closing the preview windows.\n");
%! qorinsim ("fail", "QorinStreamVideoControl", 9, 1, 1);
%! qorin_assert_error (@() qorincam (3, 1, 5), "An error occured while opening the video preview.\n");
%! qorinsim ("fail", "QorinGetFormat", 9);
%! qorin_assert_error (@() qorincam (33, 1), "An error occured while obtaining the current frame rate.");

%!test
%! ## List: a row in the SDK's order, widened from float; none available is an error.
%! qorin_reset ();
%! qorinsim ("set", 1, "frameRates", [60 0.1 7.5]);
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! assert (qorincam (4, 1), [60 0.10000000149011612 7.5]);
%! calls = qorinsim ("calls");
%! assert (calls(end - 1).args, {0, []});
%! assert (calls(end).args{1}, 3);
%! qorinsim ("set", 1, "frameRates", 30);
%! assert (size (qorincam (4, 1)), [1 1]);
%! qorinsim ("set", 1, "frameRates", zeros (1, 0));
%! qorin_assert_error (@() qorincam (4, 1), "An error occured while obtaining number of available frame rates.\n");
%! qorinsim ("set", 1, "frameRates", [1 2]);
%! qorinsim ("fail", "QorinEnumAvailableFrameRates", 9);
%! qorin_assert_error (@() qorincam (4, 1), "An error occured while obtaining number of available frame rates.\n");
%! qorinsim ("fail", "QorinEnumAvailableFrameRates", 9, 1, 1);
%! qorin_assert_error (@() qorincam (4, 1), "An error occured while obtaining available frame rates.\n");

%!test
%! ## Not-connected messages.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (3, 1, 30), "Could not set frame rate. Camera 1 is not connected.");
%! qorin_assert_error (@() qorincam (4, 1), "Could not list frame rates. Camera 1 is not connected.");
%! qorin_assert_error (@() qorincam (33, 1), "Could not get frame rate. Camera 1 is not connected.");

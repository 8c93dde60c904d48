## Camera sessions: the camera table, connect, disconnect, is-connected, count and the exit hook.

%!test
%! ## Connect opens the camera and reads its format; connecting twice is refused.
%! qorin_reset ();
%! qorincam (-1, 1);
%! assert (qorin_call_names (), {"QorinNumCameras", "QorinCameraOpen", "QorinGetFormat"});
%! calls = qorinsim ("calls");
%! assert (calls(2).args, {1});
%! assert (qorinsim ("get", 1, "open"), true);
%! assert (qorincam (6, 1), true);
%! qorin_assert_error (@() qorincam (-1, 1), "Camera 1 is already connected.");
%! qorincam (-2, 1);
%! qorin_assert_error (@() qorincam (-2, 1), "Camera 1 already disconnected.");
%! assert (qorinsim ("get", 1, "open"), false);
%! assert (qorincam (6, 1), false);

%!test
%! ## The connection check, in its order of tests.
%! qorin_reset (2);
%! qorin_assert_error (@() qorincam (-1, 0), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (-1, -5), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (-1, 3), "Not enough cameras connected.");
%! qorin_assert_error (@() qorincam (1, 0), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (1, 3), "Not enough cameras connected.");
%! qorin_assert_error (@() qorincam (1, 2), "Camera ID not found.");
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (1, 2), "Camera 2 already disconnected.");
%! ## The attached count is asked every time, whatever the table holds.
%! qorincam (-1, 2);
%! qorinsim ("attach", 1);
%! qorin_assert_error (@() qorincam (1, 2), "Not enough cameras connected.");
%! qorinsim ("attach", -1);
%! qorin_assert_error (@() qorincam (1, 1), "Not enough cameras connected.");
%! qorin_assert_error (@() qorincam (6, 1), "Not enough cameras connected.");

%!test
%! ## Is-connected answers false where the connection check would raise; count is the SDK's.
%! qorin_reset (0);
%! assert (qorincam (37), 0);
%! assert (qorincam (6, 0), false);
%! assert (qorincam (6, -3), false);
%! qorinsim ("attach", 4);
%! assert (qorincam (37), 4);
%! assert (qorincam (6, 3), false);
%! qorin_assert_error (@() qorincam (6, 5), "Not enough cameras connected.");
%! assert (class (qorincam (6, 1)), "logical");
%! assert (class (qorincam (37)), "double");

%!test
%! ## A disconnected record's slot is taken by the next connect of any camera.
%! qorin_reset (3);
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! qorincam (-2, 1);
%! qorincam (-1, 3);                 # takes slot 0: camera 1's record is gone
%! qorin_assert_error (@() qorincam (1, 1), "Camera ID not found.");
%! qorincam (-2, 2);
%! qorincam (-2, 3);
%! ## Slot 0 and 1 hold cameras 3 and 2, disconnected; connecting 2 again uses slot 0, and
%! ## the connected record is found before the older one in slot 1.
%! qorincam (-1, 2);
%! assert (qorincam (6, 2), true);
%! qorincam (0, 2);
%! qorincam (1, 2);
%! qorin_assert_error (@() qorincam (1, 3), "Camera ID not found.");

%!test
%! ## At most 25 records: a 26th connect is refused until a slot is freed.
%! qorin_reset (30);
%! for n = 1:25
%!   qorincam (-1, n);
%! endfor
%! qorin_assert_error (@() qorincam (-1, 26), "The maximum number of cameras has been connected.");
%! assert (qorinsim ("get", 26, "open"), false);
%! qorincam (-2, 7);
%! qorincam (-1, 26);
%! assert (qorincam (6, 26), true);
%! qorin_assert_error (@() qorincam (1, 7), "Camera ID not found.");
%! qorin_assert_error (@() qorincam (-1, 27), "The maximum number of cameras has been connected.");

%!test
%! ## A failed open leaves the table unchanged; a failed format read leaves the record
%! ## disconnected and the camera closed, so that it can be opened again.
%! qorin_reset ();
%! qorinsim ("fail", "QorinCameraOpen", 5);
%! qorin_assert_error (@() qorincam (-1, 1), "An error has occured while opening a connection to the camera.\n");
%! qorin_assert_error (@() qorincam (1, 1), "Camera ID not found.");
%! qorinsim ("fail", "QorinGetFormat", 5);
%! qorin_assert_error (@() qorincam (-1, 1), "Failed to get the initial frame format.\n");
%! qorin_assert_error (@() qorincam (1, 1), "Camera 1 already disconnected.");
%! assert (qorinsim ("get", 1, "open"), false);
%! qorincam (-1, 1);
%! assert (qorincam (6, 1), true);

%!test
%! ## Disconnecting a previewing camera stops its stream and destroys its window first.
%! qorin_reset ();
%! qorincam (0, 1);
%! qorinsim ("clearcalls");
%! qorincam (-2, 1);
%! assert (qorin_call_names ("QorinNumCameras"),
%!         {"QorinStreamVideoControl", "QorinDestroyDisplayWindow", "QorinCameraClose"});
%! assert (qorinsim ("get", 1, "streaming"), false);
%! assert (isempty (qorinsim ("get", 1, "window")));
%! ## A failed stop ends the disconnect before the close, with the preview flag cleared.
%! qorincam (0, 1);
%! qorinsim ("fail", "QorinStreamVideoControl", 9);
%! qorin_assert_error (@() qorincam (-2, 1), "An error occured while stopping the video preview.\n");
%! assert (qorinsim ("get", 1, "open"), true);
%! qorincam (-2, 1);
%! assert (qorinsim ("get", 1, "open"), false);

%!test
%! ## Unloading the module stops previews and closes every camera; it can be loaded again.
%! qorin_reset (3);
%! qorincam (0, 1);
%! qorincam (-1, 3);
%! qorinsim ("clearcalls");
%! clear qorincam
%! assert (qorinsim ("get", 1, "open"), false);
%! assert (qorinsim ("get", 1, "streaming"), false);
%! assert (qorinsim ("get", 3, "open"), false);
%! assert (sum (strcmp (qorin_call_names (), "QorinCameraClose")), 2);
%! ## SDK failures in the hook are ignored: the hook goes on and the host survives.
%! qorincam (-1, 1);
%! qorincam (0, 2);
%! qorinsim ("fail", "QorinStreamVideoControl", 3);
%! qorinsim ("fail", "QorinDestroyDisplayWindow", 3);
%! clear qorincam
%! assert (qorinsim ("get", 1, "open"), false);
%! assert (qorinsim ("get", 2, "open"), false);
%! qorincam (-1, 3);
%! assert (qorincam (6, 3), true);
%! assert (qorincam (6, 1), false);

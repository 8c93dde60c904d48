## Event notification and time-out (codes 91-93).

%!function settings = snapshot_settings (n)
%!  qorincam (13, n);
%!  settings = qorin_last_args ("QorinTakeSnapshot"){1};
%!endfunction

%!test
%! ## IDs from 1, never reused after unregistration; the other records keep their place.
%! qorin_reset ();
%! qorincam (-1, 1);
%! assert ([qorincam(92, 1, 5), qorincam(92, 1, 6), qorincam(92, 1, 7)], [1 2 3]);
%! assert (qorin_last_args ("QorinRegisterEventNotification"){1}, 7);
%! assert (qorinsim ("openEvents"), 3);
%! qorincam (93, 1, 2);
%! assert (qorinsim ("openEvents"), 2);
%! assert (qorincam (92, 1, 8), 4);
%! qorin_assert_error (@() qorincam (93, 1, 2), "No event with ID of 2 has been registered for camera 1.");
%! assert (qorinsim ("get", 1, "events"), 3);
%! for id = [3 1 4]
%!   qorincam (93, 1, id);
%! endfor
%! assert (qorinsim ("get", 1, "events"), 0);
%! assert (qorinsim ("openEvents"), 0);

%!test
%! ## Disconnect releases every registration; the next connection starts again at 1.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (92, 1, 1);
%! qorincam (92, 1, 1);
%! qorincam (-2, 1);
%! assert (qorinsim ("openEvents"), 0);
%! assert (qorinsim ("get", 1, "events"), 0);
%! qorincam (-1, 1);
%! assert (qorincam (92, 1, 1), 1);
%! qorin_assert_error (@() qorincam (93, 1, 2), "No event with ID of 2 has been registered for camera 1.");

%!test
%! ## IDs are per camera: unregistering ID 1 of camera 2 leaves camera 1's in place.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! assert (qorincam (92, 1, 3), 1);
%! assert (qorincam (92, 2, 3), 1);
%! assert (qorincam (92, 2, 3), 2);
%! qorincam (93, 2, 1);
%! assert ([qorinsim("get", 1, "events"), qorinsim("get", 2, "events")], [1 1]);
%! qorin_assert_error (@() qorincam (93, 2, 1), "No event with ID of 1 has been registered for camera 2.");
%! qorincam (93, 1, 1);
%! assert (qorinsim ("get", 1, "events"), 0);

%!test
%! ## A refused registration closes its event and uses up no ID; a refused unregistration
%! ## keeps the record, so it can be undone later.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinRegisterEventNotification", 8);
%! qorin_assert_error (@() qorincam (92, 1, 1), "Could not register event.");
%! assert (qorinsim ("openEvents"), 0);
%! assert (qorincam (92, 1, 1), 1);
%! qorinsim ("fail", "QorinUnregisterEventNotification", 8);
%! qorin_assert_error (@() qorincam (93, 1, 1), "Error while unregistering event notification.");
%! assert (qorinsim ("openEvents"), 1);
%! qorincam (93, 1, 1);
%! assert (qorinsim ("openEvents"), 0);

%!test
%! ## Not-connected messages.
%! qorin_reset (2);
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (92, 2, 1), "Could not register event notification. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (93, 2, 1), "Could not unregister event notification. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (91, 2, true, 1), "Could not set timeout. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (92, 1, 1), "Camera ID not found.");

%!test
%! ## Time-out: with the snapshot flag the snapshot time-out changes first, even if the SDK refuses.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (91, 1, false, 250);
%! assert (qorin_last_args ("QorinSetTimeout"), {0, 250});
%! assert (qorinsim ("get", 1, "timeout"), [250 5000]);
%! assert (snapshot_settings (1).timeout, 5000);
%! qorincam (91, 1, true, 250.9);
%! assert (qorin_last_args ("QorinSetTimeout"), {1, 250});
%! assert (snapshot_settings (1).timeout, 250);
%! qorincam (91, 1, [true false], 16777217);
%! assert (qorin_last_args ("QorinSetTimeout"), {1, 16777216});
%! qorinsim ("fail", "QorinSetTimeout", 1);
%! qorin_assert_error (@() qorincam (91, 1, true, 42), "Error setting timout value.");
%! assert (snapshot_settings (1).timeout, 42);
%! qorinsim ("fail", "QorinSetTimeout", 1);
%! qorin_assert_error (@() qorincam (91, 1, false, 7), "Error setting timout value.");
%! assert (snapshot_settings (1).timeout, 42);

%!test
%! ## An event object that cannot be created: the registration is not attempted, no ID is
%! ## used up, and the next registration gets ID 1.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorinsim ("failEvent");
%! qorin_assert_error (@() qorincam (92, 1, 3), "Could not register event.");
%! assert (! any (strcmp (qorin_call_names (), "QorinRegisterEventNotification")));
%! assert (qorinsim ("openEvents"), 0);
%! assert (qorincam (92, 1, 3), 1);
%! assert (qorinsim ("openEvents"), 1);

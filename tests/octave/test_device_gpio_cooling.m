## GPIO lines and sensor cooling (codes 34-36, 61, 81).

%!test
%! ## Reading: the SDK's first byte, then its second, as a 1-by-2 row.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("set", 1, "gpio", [5 255]);
%! assert (qorincam (34, 1), [5 255]);
%! qorinsim ("fail", "QorinGpioRead", 1);
%! qorin_assert_error (@() qorincam (34, 1), "Failed to read GPIO.");

%!test
%! ## The three byte writes: above 255 refused before any call, negative values keep their low byte.
%! qorin_reset ();
%! qorincam (-1, 1);
%! cases = {35, "QorinGpioWrite", "gpo", "GPO value should be less than 256."
%!          36, "QorinGpoSelect", "gpoSelect", "Enable value should be less than 256."
%!          61, "QorinGpioConfigure", "gpioConfig", "Enable value should be less than 256."};
%! for k = 1:rows (cases)
%!   [code, name, state, range] = cases{k, :};
%!   for v = [255 -1 3.7 0; 255 255 3 0]
%!     qorincam (code, 1, v(1));
%!     assert (qorinsim ("get", 1, state), v(2));
%!     assert (qorin_last_args (name), {v(2)});
%!   endfor
%!   qorinsim ("clearcalls");
%!   qorin_assert_error (@() qorincam (code, 1, 256), range);
%!   qorin_assert_error (@() qorincam (code, 1, 1000), range);
%!   assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));
%! endfor
%! ## The value is not checked by the gateway: NaN converts to the smallest integer, low byte 0.
%! qorincam (35, 1, NaN);
%! assert (qorinsim ("get", 1, "gpo"), 0);
%! qorincam (35, 1, int8 (-2));
%! assert (qorinsim ("get", 1, "gpo"), 254);

%!test
%! ## Failures, and the range check coming after the connection check.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinGpioWrite", 1);
%! qorin_assert_error (@() qorincam (35, 1, 1), "An error occured while writing to GPIO.");
%! qorinsim ("fail", "QorinGpoSelect", 1);
%! qorin_assert_error (@() qorincam (36, 1, 1), "An error occured while enabling GPO.");
%! qorinsim ("fail", "QorinGpioConfigure", 1);
%! qorin_assert_error (@() qorincam (61, 1, 1), "An error occured while enabling GPO.");
%! qorincam (-1, 2);
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (34, 2), "Could not read GPIO. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (35, 2, 256), "Could not write to GPIO. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (36, 2, 256), ...
%!   "Could not enable GPO for manual operation. Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (61, 2, 256), ...
%!   "Could not enable GPO for manual operation . Camera 2 is not connected.");
%! qorin_assert_error (@() qorincam (81, 2, true, 1), "Could not set cooling. Camera 2 is not connected.");

%!test
%! ## Cooling: the switch (with the top flag bit only when on), then the target temperature.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("clearcalls");
%! qorincam (81, 1, true, 25);
%! qorincam (81, 1, false, -10);
%! calls = qorinsim ("calls");
%! calls = calls(strcmp ({calls.name}, "QorinSetProperty"));
%! assert ({calls.args}, {{118, 1, 2147483648}, {108, 25, 0}, {118, 0, 0}, {108, -10, 0}});
%! assert (qorinsim ("get", 1, "property", 108), [-10 0]);
%! qorin_assert_error (@() qorincam (81, 1, 1, 25), "Parameter 2 must be a boolean.");

%!test
%! ## Each cooling step's failure; a failed temperature keeps the switch as set.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinSetProperty", 1);
%! qorin_assert_error (@() qorincam (81, 1, true, 5), "Failed to set camera's cooling.");
%! qorinsim ("fail", "QorinSetProperty", 1);
%! qorin_assert_error (@() qorincam (81, 1, false, 5), "Failed to turn off camera's cooling.");
%! qorinsim ("fail", "QorinSetProperty", 1, 1, 1);
%! qorin_assert_error (@() qorincam (81, 1, true, 5), "Failed to set camera's temperature.");
%! assert (qorinsim ("get", 1, "property", 118), [1 2147483648]);

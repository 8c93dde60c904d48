## Enumeration of the attached cameras (code 38) and one camera's version (code 57).

%!function v = words (firmware, fpga, api, driver, sn, reserved)
%!  v = [firmware fpga api driver sn reserved];
%!endfunction

%!test
%! ## The text rules at their extremes: dotted bytes most significant first, the low 16 bits
%! ## of firmware and FPGA whatever the upper bits hold, a signed serial number, eight hex digits.
%! qorin_reset (2);
%! qorinsim ("set", 1, "version", words (hex2dec ("ABCD1234"), hex2dec ("FFFF00FF"), hex2dec ("01020304"), ...
%!                                      hex2dec ("FF000001"), 4294967295, 171));
%! qorinsim ("set", 2, "version", words (0, 65535, 4294967295, 0, 2147483647, 4294967295));
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! v = qorincam (57, 1);
%! assert (size (v), [1 1]);
%! assert (fieldnames (v), {"API"; "Driver"; "Firmware"; "FPGA"; "SN"; "Reserved"});
%! assert ({v.API, v.Driver, v.Firmware, v.FPGA, v.SN, v.Reserved}, ...
%!         {"1.2.3.4", "255.0.0.1", "18.52", "0.255", "-1", "0x000000ab"});
%! v = qorincam (57, 2);
%! assert ({v.API, v.Driver, v.Firmware, v.FPGA, v.SN, v.Reserved}, ...
%!         {"255.255.255.255", "0.0.0.0", "0.0", "255.255", "2147483647", "0xffffffff"});
%! assert (ischar (v.SN) && rows (v.SN) == 1);

%!test
%! ## One element per attached camera, in slot order: camera 3 connected first fills element 1,
%! ## a disconnected slot and a slot the table does not have show six zero words.
%! qorin_reset (4);
%! for n = 1:4
%!   qorinsim ("set", n, "version", words (n, n, n, n, n, n));
%! endfor
%! qorincam (-1, 3);
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! qorincam (-2, 1);
%! qorinsim ("clearcalls");
%! v = qorincam (38);
%! assert (size (v), [4 1]);
%! assert ({v.API}, {"0.0.0.3", "0.0.0.0", "0.0.0.2", "0.0.0.0"});
%! assert ({v.SN}, {"3", "0", "2", "0"});
%! assert ({v(2).Firmware, v(2).Reserved}, {"0.0", "0x00000000"});
%! assert ([qorinsim("calls")(strcmp ({qorinsim("calls").name}, "QorinQueryVersion")).camera], [3 2]);

%!test
%! ## A connected camera whose slot lies at or beyond the attached count is passed over.
%! qorin_reset (3);
%! for n = 1:3
%!   qorinsim ("set", n, "version", words (0, 0, n, 0, 0, 0));
%! endfor
%! qorincam (-1, 1);
%! qorincam (-1, 2);
%! qorincam (-1, 3);
%! qorinsim ("attach", 2);
%! qorinsim ("clearcalls");
%! v = qorincam (38);
%! assert (size (v), [2 1]);
%! assert ({v.API}, {"0.0.0.1", "0.0.0.2"});
%! assert (qorin_call_names ("QorinNumCameras"), {"QorinQueryVersion", "QorinQueryVersion"});

%!test
%! ## Failures of code 38: no camera, a failed count, a failed version query.
%! qorin_reset (0);
%! qorin_assert_error (@() qorincam (38), "No cameras attached to computer.");
%! qorin_reset (-1);
%! qorin_assert_error (@() qorincam (38), "Failed to enumerate all the cameras.");
%! qorin_reset (2);
%! assert (size (qorincam (38)), [2 1]);
%! qorincam (-1, 2);
%! qorincam (-1, 1);
%! qorinsim ("fail", "QorinQueryVersion", 5, 1, 1);
%! qorin_assert_error (@() qorincam (38), "Failed to enumerate all the cameras.");
%! assert (size (qorincam (38)), [2 1]);

%!test
%! ## Failures of code 57: the connection check and the SDK's refusal.
%! qorin_reset (2);
%! qorin_assert_error (@() qorincam (57, 2), "Camera ID not found.");
%! qorin_assert_error (@() qorincam (57, 3), "Not enough cameras connected.");
%! qorincam (-1, 2);
%! qorinsim ("fail", "QorinQueryVersion", 5);
%! qorin_assert_error (@() qorincam (57, 2), "Failed to query software version information.");
%! qorincam (-2, 2);
%! qorin_assert_error (@() qorincam (57, 2), ...
%!   "Could not query software version information . Camera 2 is not connected.");

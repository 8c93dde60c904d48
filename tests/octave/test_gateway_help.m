## Help and error identifiers: qorincam.m against the module's own checks, and the identifier of each kind of failure.

%!function entries = help_entries ()
%!  ## One entry per command line of the help: code, name, parameter names and kinds.
%!  text = get_help_text ("qorincam");
%!  entries = struct ("code", {}, "name", {}, "params", {}, "kinds", {});
%!  for line = strsplit (text, "\n")
%!    t = regexp (line{1}, '^%?\s+\*?\s+(-?\d+)\s+(CMD_\w+)\s+(?:r = )?qorincam\(([^)]*)\)\s*$', "tokens", "once");
%!    if (isempty (t))
%!      continue;
%!    endif
%!    parts = strtrim (strsplit (t{3}, ","));
%!    assert (str2double (parts{1}), str2double (t{1}));
%!    names = parts(2:end);
%!    kinds = cell (size (names));
%!    for k = 1:numel (names)
%!      kind = regexp (names{k}, ':(\w+)$', "tokens", "once");
%!      kinds{k} = "integer";
%!      if (! isempty (kind))
%!        kinds{k} = kind{1};
%!      endif
%!    endfor
%!    entries(end + 1) = struct ("code", str2double (t{1}), "name", t{2}, "params", {names}, "kinds", {kinds});
%!  endfor
%!endfunction

%!function args = arguments_for (entry, camera)
%!  ## A well-formed argument of every listed kind; parameter 1 is the camera number.
%!  args = cell (1, numel (entry.kinds));
%!  for k = 1:numel (entry.kinds)
%!    switch (entry.kinds{k})
%!      case "integer", args{k} = 1;
%!      case "number",  args{k} = 1.5;
%!      case "logical", args{k} = true;
%!      case "text",    args{k} = "frame.pnm";
%!      case "array",   args{k} = uint8 (1:4);
%!      otherwise, error ("unknown parameter kind %s", entry.kinds{k});
%!    endswitch
%!  endfor
%!  if (! isempty (args) && entry.code != 100)
%!    args{1} = camera;
%!  endif
%!endfunction

%!test
%! ## Both generated files list every code once, in order: the help under its command name,
%! ## qorin.cmd under the same name without CMD_; and the identifiers are documented.
%! entries = help_entries ();
%! assert ([entries.code], -2:100);
%! for entry = entries
%!   assert (qorin.cmd.(entry.name(5:end)), entry.code);
%! endfor
%! assert (numel (properties ("qorin.cmd")), numel (entries));
%! assert ({entries([1 16 35]).name}, {"CMD_DISCONNECT", "CMD_TAKE_SNAPSHOT", "CMD_SYNC_SNAPSHOTS"});
%! text = get_help_text ("qorincam");
%! for id = {"usage", "notConnected", "state", "sdk", "memory", "value", "internal"}
%!   assert (! isempty (strfind (text, ["qorincam:" id{1}])), "identifier qorincam:%s not documented", id{1});
%! endfor

%!test
%! ## The call forms pass the module's count and class checks: with camera 2 not attached,
%! ## every camera command fails its connection check, never its argument checks.
%! qorin_reset (1);
%! for entry = help_entries ()
%!   args = arguments_for (entry, 2);
%!   id = qorin_error_id (@() qorincam (entry.code, args{:}));
%!   switch (entry.code)
%!     case {37, 38, 100}             # no camera number
%!       assert (strcmp (id, ""), "code %d raised %s", entry.code, id);
%!     case 32                        # needs two connected cameras
%!       assert (id, "qorincam:state");
%!     otherwise
%!       assert (strcmp (id, "qorincam:notConnected"), "code %d (%s) raised %s", entry.code, entry.name, id);
%!   endswitch
%! endfor

%!test
%! ## One argument more or one fewer than the help lists is a usage error, and nothing runs.
%! qorin_reset (1);
%! qorinsim ("clearcalls");
%! for entry = help_entries ()
%!   args = arguments_for (entry, 1);
%!   if (entry.code != 32)            # ignores further inputs
%!     id = qorin_error_id (@() qorincam (entry.code, args{:}, 1));
%!     assert (strcmp (id, "qorincam:usage"), "code %d with one more raised '%s'", entry.code, id);
%!   endif
%!   if (! isempty (args))
%!     id = qorin_error_id (@() qorincam (entry.code, args{1:end-1}));
%!     assert (strcmp (id, "qorincam:usage"), "code %d with one fewer raised '%s'", entry.code, id);
%!   endif
%! endfor
%! assert (qorin_call_names ("QorinNumCameras"), cell (1, 0));

%!test
%! ## Each kind of failure carries its identifier; the message text is unchanged.
%! qorin_reset (1);
%! usage = {@() qorincam(), @() qorincam ("x", 1), @() qorincam (13), @() qorincam (15, 1, int8 (3)), ...
%!          @() qorincam (10, 1, 1)};
%! for k = 1:numel (usage)
%!   assert (qorin_error_id (usage{k}), "qorincam:usage");
%! endfor
%! assert (qorin_error_id (@() qorincam (13, 1)), "qorincam:notConnected");
%! assert (qorin_error_id (@() qorincam (13, 0)), "qorincam:notConnected");
%! assert (qorin_error_id (@() qorincam (13, 5)), "qorincam:notConnected");
%! qorinsim ("attach", 0);
%! assert (qorin_error_id (@() qorincam (38)), "qorincam:notConnected");   # no camera attached at all
%! qorinsim ("attach", 1);
%! qorincam (-1, 1);
%! assert (qorin_error_id (@() qorincam (76, 1)), "qorincam:state");        # not previewing
%! assert (qorin_error_id (@() qorincam (-1, 1)), "qorincam:state");        # already connected
%! assert (qorin_error_id (@() qorincam (15, 1, -1)), "qorincam:value");
%! assert (qorin_error_id (@() qorincam (87, 1, 0)), "qorincam:value");
%! assert (qorin_error_id (@() qorincam (35, 1, 256)), "qorincam:value");
%! qorinsim ("fail", "QorinGetProperty", 7);
%! assert (qorin_error_id (@() qorincam (29, 1)), "qorincam:sdk");
%! qorinsim ("fail", "QorinTakeSnapshot", 5);
%! try
%!   qorincam (13, 1);
%!   error ("the snapshot should have failed");
%! catch err
%!   assert (err.identifier, "qorincam:sdk");
%!   assert (err.message, "qorincam: Error 5 occured while attempting to take a fast frame with camera 1.");
%! end_try_catch

%!test
%! ## The camera object raises the module's own errors, identifiers included.
%! qorin_reset (1);
%! assert (qorin_error_id (@() qorin.Camera (3)), "qorincam:notConnected");

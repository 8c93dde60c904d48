## Gateway: command code, count and class checks with their exact messages, conversions, output slot.

%!shared count_messages, param_kinds
%! ## Count messages and the codes that raise them.
%! count_messages = {
%!   "This function requires 1 input parameter.", [-1 1 4 5 6 7 8 11 12 13 14 16 19 21 23 25 27 29 31 33 34 41 43 45 47 49 52 53 54 55 56 57 58 59 60 62 73 74 76 83 86 94 95 98 99 100]
%!   "This function requires 1 input paramenter.", -2
%!   "This functions requires 1 input parameter.", 0
%!   "This function requires 2 input parameter.", [3 28 51 69 84]
%!   "This function requires 2 input parameters.", [10 15 17 18 22 24 26 30 35 36 39 42 44 46 48 50 61 63 72 75]
%!   "This function requires 3 input parameters.", [2 9 90 92 93]
%!   "This function requires 3 input parameters", [78 87]
%!   "This function requires 4 input parameters.", [40 81 88 91 96 97]
%!   "This function requires 4 input parameters", [77 79]
%!   "This function requires 5 input parameters.", [20 65 67]
%!   "This function requires 6 input parameters.", [64 70 80 85]
%!   "This function requires 7 input parameters.", [66 68]
%!   "This function requires 8 input parameters.", [82 89]
%!   "This function requires 10 input parameters.", 71
%!   "This function requires no input parameters.", [37 38]};
%! ## Parameter kinds per code: i integer, d double, l logical, u unchecked integer, a array, t text.
%! param_kinds = containers.Map ("KeyType", "double", "ValueType", "any");
%! for code = [-2 -1 0 1 4:8 11:14 16 19 21 23 25 27 29 31 33 34 41 43 45 47 49 52:60 62 73:76 83 84 86 94 95 98:100]
%!   param_kinds(code) = "i";
%! endfor
%! for code = [3 15 17 24 28 30 42 44 46 48 50 72]
%!   param_kinds(code) = "id";
%! endfor
%! for code = [10 18 22 26 69]
%!   param_kinds(code) = "il";
%! endfor
%! for code = [35 36 61]
%!   param_kinds(code) = "iu";
%! endfor
%! for code = [39 51 78 87 92 93]
%!   param_kinds(code) = "ii";
%! endfor
%! param_kinds(2) = "iii"; param_kinds(9) = "iii"; param_kinds(20) = "idddd";
%! param_kinds(40) = "idiu"; param_kinds(63) = "ia"; param_kinds(64) = "iiiiii"; param_kinds(70) = "iiiiii";
%! param_kinds(65) = "iiiii"; param_kinds(67) = "iiiii"; param_kinds(66) = "iddiiii"; param_kinds(68) = "iddiiii";
%! param_kinds(71) = "iiiiiiiiii"; param_kinds(77) = "itl"; param_kinds(79) = "iii"; param_kinds(80) = "iiiii";
%! param_kinds(85) = "iiiii"; param_kinds(81) = "ili"; param_kinds(91) = "ili"; param_kinds(82) = "iiiiiii";
%! param_kinds(88) = "iai"; param_kinds(89) = "iaillll"; param_kinds(90) = "ia"; param_kinds(96) = "iii";
%! param_kinds(97) = "iia"; param_kinds(37) = ""; param_kinds(38) = "";

%!test
%! qorin_reset ();
%! qorin_assert_error (@() qorincam (), "At least one parameter is required.");
%! for bad = {true, 1+2i, [], [1 2], {1}, struct("a", 1), zeros(0, 1)}
%!   qorin_assert_error (@() qorincam (bad{1}, 1), "First input must be an integer.");
%! endfor

%!test
%! ## Text names a command: what the module is and which SDK library it loaded; unknown names,
%! ## further inputs and text that is no name are usage errors.
%! qorin_reset (3);
%! v = qorincam ("Version");
%! assert (fieldnames (v)', {"version", "compiler", "buildDate", "builtFor", "sdk", "sdkLibrary", "cameras"});
%! assert ({v.builtFor, v.sdk, v.cameras}, {"Octave", "simulator", 3});
%! [~, file, ext] = fileparts (v.sdkLibrary);
%! assert ([file ext], "libqorinapi.so");
%! assert (exist (v.sdkLibrary, "file"), 2);
%! assert (! isempty (regexp (v.buildDate, '^20\d\d-[01]\d-[0-3]\d$', "once")));
%! qorinsim ("attach", -1);
%! assert (qorincam ("version").cameras, -1);
%! list = qorincam ("commands");
%! assert ({list.name}(1:3), {"version", "commands", "startRecording"});
%! qorin_assert_error (@() qorincam ("x", 1), "Unknown command name 'x'. qorincam('commands') lists the named commands.");
%! assert (qorin_error_id (@() qorincam ("")), "qorincam:usage");
%! qorin_assert_error (@() qorincam ("version", 1), "qorincam('version') takes no further inputs.");
%! qorin_assert_error (@() qorincam (["ab"; "cd"]), "A command name must be a character vector or a string scalar.");

%!test
%! ## Codes are truncated toward zero; codes outside -2..100 return quietly with no output.
%! qorin_reset ();
%! qorin_assert_error (@() qorincam (2.9), "This function requires 3 input parameters.");
%! qorin_assert_error (@() qorincam (-2.5), "This function requires 1 input paramenter.");
%! qorin_assert_error (@() qorincam (int8 (-2)), "This function requires 1 input paramenter.");
%! for code = {101, -3, NaN, Inf, -Inf, 1e10, -1e10, intmin("int32"), 2^31}
%!   qorincam (code{1}, "anything", {});
%! endfor
%! assert (isempty (qorinsim ("calls")));

%!test
%! ## Every code's count message, raised with one input too many and one too few.
%! qorin_reset ();
%! for row = 1:rows (count_messages)
%!   for code = count_messages{row, 2}
%!     n = numel (param_kinds(code));
%!     too_many = num2cell (ones (1, n + 1));
%!     qorin_assert_error (@() qorincam (code, too_many{:}), count_messages{row, 1});
%!     if (n > 0)
%!       too_few = num2cell (ones (1, n - 1));
%!       qorin_assert_error (@() qorincam (code, too_few{:}), count_messages{row, 1});
%!     endif
%!   endfor
%! endfor

%!function msg = expected_check_message (code, k)
%!  persistent table
%!  if (isempty (table))
%!    table = {
%!      "Parameter 1 must be an integer.", [-2:1 3:8 10:31 33:36 39:62 69 72:77 83 84 86 90 94 95 98:100], 1
%!      "Parameter 2 must be a double.", [3 15 17 24 28 30 40 42 44 46 48 50 72], 2
%!      "Parameter 2 must be a logical.", [10 18 22 26], 2
%!      "Parameter 2 must be a boolean.", [69 81 91], 2
%!      "Parameter 2 must be an integer.", [39 51], 2
%!      "Parameter 3 must be an integer.", 40, 3
%!      "Parameter 4 must be a boolean.", 77, 3
%!      "Parameters 1 must be an integer.", 63, 1
%!      "Parameters 1, 2, and 3 must be integers.", [2 9], 1:3
%!      "Parameters 1, 2 and 3 must be integers", 96, 1:3
%!      "Parameters 1 through 3 must be integers.", 79, 1:3
%!      "Parameters 1 through 5 must be integers.", [80 85], 1:5
%!      "Parameters 1-5 must be integers.", [65 67], 1:5
%!      "Parameters 1-6 must be integers.", [64 70], 1:6
%!      "Parameters 1-10 must be integers.", 71, 1:10
%!      "Parameters 1 and 2 must be integers.", [78 87 92 93], 1:2
%!      "Parameters 1 and 2 must be integers", 97, 1:2
%!      "Parameters 1 and 3 must be integers", [81 88 89 91], [1 3]
%!      "Parameters 1 and 4-7 must be integers.", [66 68], [1 4:7]
%!      "Parameters 2 and 3 must be doubles.", [66 68], 2:3
%!      "Parameters 2, 3, 4, and 5 must be doubles.", 20, 2:5
%!      "Parameters 4 to 7 must be booleans.", 89, 4:7};
%!  endif
%!  if (code == 82)
%!    msg = sprintf ("Parameter %d must be an integer.", k);
%!    return;
%!  endif
%!  for row = 1:rows (table)
%!    if (any (table{row, 2} == code) && any (table{row, 3} == k))
%!      msg = table{row, 1};
%!      return;
%!    endif
%!  endfor
%!  msg = sprintf ("no message for code %d parameter %d", code, k);
%!endfunction

%!test
%! ## Every checked parameter of every code, given a char array, raises the right message.
%! qorin_reset ();
%! good = struct ("i", 1, "d", 1.5, "l", true, "u", 1, "a", 1, "t", "name");
%! codes = cell2mat (keys (param_kinds));
%! for code = codes
%!   kinds = param_kinds(code);
%!   for k = find (ismember (kinds, "idl"))
%!     args = arrayfun (@(c) good.(c), kinds, "UniformOutput", false);
%!     args{k} = "x";
%!     try
%!       qorincam (code, args{:});
%!       error ("code %d parameter %d: no error", code, k);
%!     catch err
%!       msg = regexprep (err.message, '^qorincam: ', '');
%!       assert (! isempty (regexp (msg, 'must be', 'once')), sprintf ("code %d parameter %d: %s", code, k, msg));
%!       assert (expected_check_message (code, k), msg, sprintf ("code %d parameter %d", code, k));
%!     end_try_catch
%!   endfor
%! endfor


%!test
%! ## Check order: the rows whose checks run in an irregular order.
%! qorin_reset ();
%! qorin_assert_error (@() qorincam (3, "x", "y"), "Parameter 2 must be a double.");
%! qorin_assert_error (@() qorincam (66, "x", "y", 1, 1, 1, 1, 1), "Parameters 1 and 4-7 must be integers.");
%! qorin_assert_error (@() qorincam (66, 1, "y", 1, 1, 1, 1, "x"), "Parameters 1 and 4-7 must be integers.");
%! qorin_assert_error (@() qorincam (81, 1, "x", "y"), "Parameters 1 and 3 must be integers");
%! qorin_assert_error (@() qorincam (91, 1, 1, 1), "Parameter 2 must be a boolean.");
%! qorin_assert_error (@() qorincam (89, 1, 1, 1, true, true, true, 1), "Parameters 4 to 7 must be booleans.");
%! qorin_assert_error (@() qorincam (82, 1, 1, 1, 1, "x", 1, "y"), "Parameter 5 must be an integer.");
%! qorin_assert_error (@() qorincam (82, 1, int32 (1), 1, 1, 1, 1, {}), "Parameter 7 must be an integer.");
%! ## Unchecked parameters are not checked: the handler runs (and finds no camera).
%! qorin_assert_error (@() qorincam (35, 1, "anything"), "Camera ID not found.");
%! qorin_assert_error (@() qorincam (40, 1, 20, int8 (10), {}), "Camera ID not found.");
%! qorin_assert_error (@() qorincam (63, 1, "not a structure"), "Camera ID not found.");
%! qorin_assert_error (@() qorincam (77, 1, "name", true), "Camera ID not found.");
%! qorin_assert_error (@() qorincam (77, 1, 42, true), "The file name must be a character array.");

%!test
%! ## Code 32 takes no count check and ignores what it is given.
%! qorin_reset ();
%! try
%!   qorincam (32);
%! catch plain
%! end_try_catch
%! try
%!   qorincam (32, "x", {}, 1, 2, 3);
%! catch extra
%! end_try_catch
%! assert (extra.message, plain.message);

%!test
%! ## Classes the predicates accept and refuse.
%! qorin_reset (2);
%! qorincam (-1, 1);
%! assert (qorincam (6, 1.7), true);           # a double 1.7 is camera 1
%! assert (qorincam (6, int32 (1)), true);
%! assert (qorincam (6, single (1)), true);
%! assert (qorincam (6, uint8 (2)), false);
%! qorin_assert_error (@() qorincam (1, true), "Parameter 1 must be an integer.");
%! qorin_assert_error (@() qorincam (1, [1 1]), "Parameter 1 must be an integer.");
%! qorin_assert_error (@() qorincam (1, 1+1i), "Parameter 1 must be an integer.");
%! qorin_assert_error (@() qorincam (1, zeros (1, 0)), "Parameter 1 must be an integer.");
%! qorin_assert_error (@() qorincam (15, 1, single (1)), "Parameter 2 must be a double.");
%! qorin_assert_error (@() qorincam (15, 1, [1 2]), "Parameter 2 must be a double.");
%! qorin_assert_error (@() qorincam (10, 1, 1), "Parameter 2 must be a logical.");
%! qorin_assert_error (@() qorincam (10, 1, logical ([])), "Parameter 2 must be a logical.");

%!test
%! ## A result goes to output slot 1 even when no output is requested; a command without one
%! ## leaves the slot empty.
%! qorin_reset (3);
%! qorincam (37);
%! assert (ans, 3);
%! try
%!   x = qorincam (-1, 1);
%!   error ("an output was assigned");
%! catch err
%!   assert (isempty (strfind (err.message, "an output was assigned")));
%! end_try_catch
%! assert (qorincam (6, 1), true);

%!test
%! ## Integer conversion: truncation toward zero, NaN and values outside 32 bits give INT32_MIN.
%! qorin_reset (2);
%! qorin_assert_error (@() qorincam (-1, NaN), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (-1, 3e9), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (-1, 0.9), "Invalid camera number.");
%! qorin_assert_error (@() qorincam (-1, -0.9), "Invalid camera number.");
%! qorincam (-1, 2.99);
%! assert (qorincam (6, 2), true);
%! assert (qorincam (6, int64 (2)), true);

%!test
%! ## Arguments a handler checks itself (arrays, structures, names) report qorincam:usage for a
%! ## wrong class, like the table's checks, and qorincam:value for a wrong size, as values the
%! ## camera refuses do.
%! qorin_reset ();
%! qorincam (-1, 1);
%! format = qorincam (62, 1);
%! usage = {@() qorincam(63, 1, "not a structure"), @() qorincam(63, 1, struct ("width", 1)), ...
%!          @() qorincam(90, 1, true (3)), @() qorincam(88, 1, "abc", 3), @() qorincam(97, 1, 0, {1, 2}), ...
%!          @() qorincam(77, 1, 7, true), @() qorincam(1, "x")};
%! value = {@() qorincam(90, 1, ones (2, 3)), @() qorincam(97, 1, 0, ones (2, 2)), ...
%!          @() qorincam(63, 1, [format format]), @() qorincam(15, 1, -1)};
%! for k = 1:numel (usage)
%!   assert (qorin_error_id (usage{k}), "qorincam:usage", sprintf ("usage call %d", k));
%! endfor
%! for k = 1:numel (value)
%!   assert (qorin_error_id (value{k}), "qorincam:value", sprintf ("value call %d", k));
%! endfor

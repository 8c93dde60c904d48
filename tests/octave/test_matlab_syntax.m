## The .m files a user gets run in MATLAB too: none of them uses syntax only Octave accepts.

%!function found = octave_only (lines)
%!  ## "line N: what" for each Octave-only form in the lines (a cell of character rows).
%!  found = {};
%!  block_ends = '\<(endif|endfor|endwhile|endfunction|endswitch|end_try_catch|end_unwind_protect|endparfor|endclassdef|endmethods|endproperties|endevents|endenumeration)\>';
%!  rules = {block_ends, "block end";
%!           '(?<![\w.])(printf|puts|fputs|fdisp)\>', "printf/puts";
%!           '"', "double-quoted string";
%!           '!', "! or !=";
%!           '\+\+|[-+*/^]=', "++ or +=";
%!           '\<(unwind_protect|unwind_protect_cleanup)\>', "unwind_protect"};
%!  for n = 1:numel (lines)
%!    ## Single-quoted strings blanked (a quote after a name, bracket, dot or quote is a
%!    ## transpose), then the comment cut off; a # that starts one is Octave's.
%!    code = regexprep (lines{n}, "(?<![\\w)\\]}.'])'([^']|'')*'", "''");
%!    start = regexp (code, '[%#]|\.\.\.', "once");
%!    if (! isempty (start))
%!      if (code(start) == "#")
%!        found{end + 1} = sprintf ("line %d: # comment", n);
%!      endif
%!      code = code(1:start - 1);
%!    endif
%!    for r = 1:rows (rules)
%!      if (! isempty (regexp (code, rules{r, 1}, "once")))
%!        found{end + 1} = sprintf ("line %d: %s", n, rules{r, 2});
%!      endif
%!    endfor
%!  endfor
%!endfunction

%!test
%! ## The rule finds each form and nothing in MATLAB's own forms.
%! bad = {"## comment", "x = 1; # note", "endif", "end_try_catch", "printf ('%d', 1);", "puts ('x')", ...
%!        "s = ""text"";", "if (! ok)", "a != b", "k++;", "k += 1;", "unwind_protect"};
%! for k = 1:numel (bad)
%!   assert (numel (octave_only (bad(k))) == 1, "missed: %s", bad{k});
%! end
%! good = {"% comment with ""quotes"", # and !", "fprintf ('%d\n', a');", "s = sprintf ('it''s %s', x');", ...
%!         "if a ~= b && ~ok, x = y.'; end", "c = {'#', '!', '""', 'a += 1'};", "x = [a' b'];  % ok", ...
%!         "f (1, ...  comment ""here""", "x = -1; y = a - -b; z = a <= b;"};
%! for k = 1:numel (good)
%!   assert (isempty (octave_only (good(k))), "flagged: %s", good{k});
%! end

%!test
%! ## Every .m file a user gets: examples, the build script, the +qorin package and the
%! ## generated help and qorin.cmd beside the module.
%! root = fullfile (fileparts (which ("qorin_reset")), "..", "..");
%! mex_dir = fileparts (which ("qorincam"));
%! files = {fullfile(root, "build_qorincam.m"), fullfile(mex_dir, "qorincam.m"), fullfile(mex_dir, "+qorin", "cmd.m")};
%! for folder = {fullfile(root, "examples"), fullfile(root, "matlab", "+qorin")}
%!   listing = dir (fullfile (folder{1}, "*.m"));
%!   files = [files, strcat([folder{1} "/"], {listing.name})];
%! endfor
%! assert (numel (files) >= 10);
%! problems = {};
%! for k = 1:numel (files)
%!   lines = strsplit (fileread (files{k}), "\n");
%!   problems = [problems, strcat([files{k} ": "], octave_only(lines))];
%! endfor
%! assert (isempty (problems), "Octave-only syntax:\n%s", strjoin (problems, "\n"));

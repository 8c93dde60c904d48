## The .m files a user gets parse in MATLAB too: qorin_matlab_syntax reads them by MATLAB's rules.
## (Test files like this one, with their %! blocks, are Octave's alone and not read.)

%!test
%! ## Each rule catches its planted form (| is a line break), and MATLAB's own forms pass.
%! bad = {"## comment", "# comment";                   "x = 1; # note", "# comment";
%!        "a = __octave_config_info__ ('bindir');", "does not begin with a letter";
%!        "_x = 1; y = 2;", "_x does not begin";       "x = 1; 2y = 3;", "2y does not begin";
%!        "if (! ok), end", "! (MATLAB: ~)";             "if a != b, end", "!=";
%!        "a != b", "!=";
%!        "k++;", "++";                                  "k--;", "--";
%!        "k += 1;", "+=";                               "k *= 2;", "*=";
%!        "y = 2 ** 3;", "**";                           "if x, y = 1; endif", "endif";
%!        "function f|endfunction", "endfunction";       "try, x; end_try_catch", "end_try_catch";
%!        "unwind_protect|x;|unwind_protect_cleanup|y;|end_unwind_protect", "unwind_protect";
%!        "if x", "if without its end";                  "while 1|for k = 1:2|end", "while without its end";
%!        "switch x|case 1|", "switch without its end";  "end", "end without an open block";
%!        "classdef a|end|properties|end", "end without an open block";
%!        "function f|end|function g", "function without end where others have one";
%!        "x = 1;|else", "else outside if";              "x = foo (1,| 2);", "ends inside ( )";
%!        "x = [f (1), 2];", "two elements";             "c = {'a', g (1)};", "two elements";
%!        "s = 'abc", "without its closing quote";       's = "it\" s";', "without its closing quote";
%!        "printf ('%d', 1);", "printf is Octave's";     "puts ('x');", "puts is";
%!        "fputs (fid, 'x');", "fputs is";               "fdisp (1, x);", "fdisp is";
%!        "n = columns (x);", "columns is";              "n = rows (x);", "rows is";
%!        "n = numfields (s);", "numfields is";          "k = index ('ab', 'b');", "index is";
%!        "k = rindex ('ab', 'b');", "rindex is";        "fflush (stdout);", "fflush is";
%!        "x = 1; $y", "$ is not MATLAB"};
%! for k = 1:rows (bad)
%!   found = qorin_matlab_syntax (strrep (bad{k, 1}, "|", "\n"));
%!   assert (any (! cellfun (@isempty, strfind (found, bad{k, 2}))), "missed in '%s': %s (found: %s)", ...
%!           bad{k, 1}, bad{k, 2}, strjoin (found, "; "));
%! endfor
%! good = {"% comment with ""quotes"", # and !", "fprintf ('%d\\n', a');", "s = sprintf ('it''s %s', x');", ...
%!         "if a ~= b && ~ok, x = y.'; end", "c = {'#', '!', '""', 'a += 1', '...'};", "x = [a' b'];  % ok", ...
%!         "f (1, ...  comment ""here""| 2);", "x = -1; y = a - -b; z = a <= b; w = [1 -2];", ...
%!         "x = v(end); y = c{end - 1}; z = [w(end) 1]; u = v(end)';", "%{|endif ! # **|%}|x = 1;", ...
%!         "s = ""it""""s""; t = [s ""x""];", "rows = 3; n = rows + 1; [index, k] = max (v);", ...
%!         "clear cam", "disp 'x y'", "y = f (x); qorincam (1, 2);", "x = {@(a) a + 1, 'b'};", ...
%!         "x = 3.^2 + 2.*[1 2]' + .5e-3i - 1.';", "q = s.end + s.('if') + s.rows;", ...
%!         "a = feval ('__octave_config_info__', 'bindir');", "if x|elseif y|else|end", ...
%!         "try|x;|catch err|y;|end", "switch x|case {1, 2}|otherwise|end", "parfor k = 1:2|end", ...
%!         "function a|x = 1;|function b|y = 2;", "function a|x = 1;|end|function b|end", ...
%!         "classdef a < handle| properties (Constant)|  X = 1;| end| events|  Changed| end| methods|  function f(o)|   methods (o); properties (o);|  end| end|end"};
%! for k = 1:numel (good)
%!   found = qorin_matlab_syntax (strrep (good{k}, "|", "\n"));
%!   assert (isempty (found), "flagged in '%s': %s", good{k}, strjoin (found, "; "));
%! endfor

%!test
%! ## Every .m file a user gets: examples, the build script, the +qorin package (whatever it
%! ## holds) and the generated help and qorin.cmd beside the module; the checker itself too.
%! root = fullfile (fileparts (which ("qorin_reset")), "..", "..");
%! mex_dir = fileparts (which ("qorincam"));
%! files = {fullfile(root, "build_qorincam.m"), fullfile(mex_dir, "qorincam.m"), ...
%!          fullfile(mex_dir, "+qorin", "cmd.m"), which("qorin_matlab_syntax")};
%! for folder = {fullfile(root, "examples"), fullfile(root, "matlab", "+qorin")}
%!   listing = dir (fullfile (folder{1}, "*.m"));
%!   files = [files, strcat([folder{1} "/"], {listing.name})];
%! endfor
%! assert (numel (files) >= 11);
%! problems = {};
%! for k = 1:numel (files)
%!   problems = [problems, strcat({[files{k} ": "]}, qorin_matlab_syntax (fileread (files{k})))];
%! endfor
%! assert (isempty (problems), "MATLAB would not read:\n%s", strjoin (problems, "\n"));

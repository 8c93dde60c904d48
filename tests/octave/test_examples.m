## The examples run headless against the simulator and write what they promise.

%!shared examples
%! examples = fullfile (fileparts (which ("qorin_reset")), "..", "..", "examples");
%! addpath (examples);

%!function out = run_example (f)
%!  ## A fresh module and simulator, a fresh folder; the printed lines are returned.
%!  qorin_reset ();
%!  out = tempname ();
%!  mkdir (out);
%!  evalc ("f (out);");
%!endfunction

%!function remove (out)
%!  confirm_recursive_rmdir (false, "local");
%!  rmdir (out, "s");
%!endfunction

%!test
%! qorin_reset ();
%! file = [tempname() ".png"];
%! unwind_protect
%!   text = evalc ("demo_first_snapshot (file)");
%!   img = imread (file);
%!   assert (size (img), [480 640 3]);
%!   assert (! isempty (strfind (text, "snapshot written to")));
%!   assert (! qorincam (6, 1));
%! unwind_protect_cleanup
%!   unlink (file);
%! end_unwind_protect

%!test
%! out = run_example (@demo_live_preview);
%! unwind_protect
%!   strip = imread (fullfile (out, "live_preview.png"));
%!   assert (size (strip), [240 4*320 3]);
%!   ## Four frames at exposure x gain 30, 120, 480, 480: each brighter than the one before, but the last two alike.
%!   level = arrayfun (@(k) mean (mean (mean (double (strip(:, (k-1)*320 + (1:320), :))))), 1:4);
%!   assert (level(1) < level(2) && level(2) < level(3));
%!   assert (level(4), level(3), 5);
%!   assert (! qorincam (6, 1));
%! unwind_protect_cleanup
%!   remove (out);
%! end_unwind_protect

%!test
%! out = run_example (@demo_fast_frames);
%! unwind_protect
%!   files = dir (fullfile (out, "burst_*.png"));
%!   assert ({files.name}, arrayfun (@(k) sprintf ("burst_%03d.png", k), 1:8, "UniformOutput", false));
%!   first = imread (fullfile (out, files(1).name));
%!   last = imread (fullfile (out, files(end).name));
%!   assert (size (first), [480 640 3]);
%!   assert (! isequal (first, last));     # the frame counter moves
%! unwind_protect_cleanup
%!   remove (out);
%! end_unwind_protect

%!test
%! out = run_example (@demo_sync_two_cameras);
%! unwind_protect
%!   pair = imread (fullfile (out, "sync_pair.png"));
%!   assert (size (pair), [480 1280 3]);
%!   assert (mean (double (pair(:, 641:end, :))(:)) > mean (double (pair(:, 1:640, :))(:)));
%! unwind_protect_cleanup
%!   remove (out);
%! end_unwind_protect

%!test
%! out = run_example (@demo_mono16);
%! unwind_protect
%!   mono = imread (fullfile (out, "mono16.png"));
%!   assert (class (mono), "uint16");
%!   assert (size (mono), [480 640]);
%!   assert (max (mono(:)) > 255);
%! unwind_protect_cleanup
%!   remove (out);
%! end_unwind_protect

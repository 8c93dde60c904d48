## The examples run headless against the simulator and write what they promise.

%!shared examples
%! examples = fullfile (fileparts (which ("qorin_reset")), "..", "..", "examples");
%! addpath (examples);

%!function run_example (f, check)
%!  ## A fresh module and simulator and a fresh folder for f to write in; check (out, text)
%!  ## then looks at what f wrote and printed. No camera stays connected, and the folder goes
%!  ## whatever happens.
%!  qorin_reset ();
%!  out = tempname ();
%!  mkdir (out);
%!  unwind_protect
%!    text = evalc ("f (out);");
%!    check (out, text);
%!    assert (! qorincam (6, 1));
%!  unwind_protect_cleanup
%!    confirm_recursive_rmdir (false, "local");
%!    rmdir (out, "s");
%!  end_unwind_protect
%!endfunction

%!function first_snapshot (out, text)
%!  img = imread (fullfile (out, "snapshot.png"));
%!  assert (size (img), [480 640 3]);
%!  assert (! isempty (strfind (text, "snapshot written to")));
%!  assert (! isempty (regexp (text, 'SDK: simulator, loaded from \S*libqorinapi\.so', "once")));
%!endfunction

%!function live_preview (out, ~)
%!  strip = imread (fullfile (out, "live_preview.png"));
%!  assert (size (strip), [240 4*320 3]);
%!  ## Four frames at exposure x gain 30, 120, 480, 480: each brighter than the one before, but the last two alike.
%!  level = arrayfun (@(k) mean (mean (mean (double (strip(:, (k-1)*320 + (1:320), :))))), 1:4);
%!  assert (level(1) < level(2) && level(2) < level(3));
%!  assert (level(4), level(3), 5);
%!endfunction

%!function fast_frames (out, ~)
%!  files = dir (fullfile (out, "burst_*.png"));
%!  assert ({files.name}, arrayfun (@(k) sprintf ("burst_%03d.png", k), 1:8, "UniformOutput", false));
%!  first = imread (fullfile (out, files(1).name));
%!  last = imread (fullfile (out, files(end).name));
%!  assert (size (first), [480 640 3]);
%!  assert (! isequal (first, last));     # the frame counter moves
%!endfunction

%!function sync_two_cameras (out, ~)
%!  pair = imread (fullfile (out, "sync_pair.png"));
%!  assert (size (pair), [480 1280 3]);
%!  assert (mean (double (pair(:, 641:end, :))(:)) > mean (double (pair(:, 1:640, :))(:)));
%!endfunction

%!function mono16 (out, ~)
%!  mono = imread (fullfile (out, "mono16.png"));
%!  assert (class (mono), "uint16");
%!  assert (size (mono), [480 640]);
%!  assert (max (mono(:)) > 255);
%!endfunction

%!function record_to_tiff (out, text)
%!  file = fullfile (out, "recording.tif");
%!  assert (numel (imfinfo (file)), 30);
%!  first = imread (file, 1);
%!  assert (class (first), "uint8");
%!  assert (size (first), [480 640]);
%!  assert (! isequal (first, imread (file, 30)));     # the frame counter moves
%!  assert (! isempty (regexp (text, 'acquired 30, dropped \d+, written 30 \(stopped: frames\)', "once")));
%!  assert (! isempty (strfind (text, "pages 1 and 30 equal the frames in memory: 1")));
%!endfunction

%!function live_view (out, text)
%!  assert (size (imread (fullfile (out, "live_view.png"))), [240 320 3]);
%!  shown = str2double (regexp (text, '30 updates showed (\d+) distinct frames', "tokens", "once"));
%!  assert (shown >= 2 && shown <= 30);
%!  if (isempty (available_graphics_toolkits ()))
%!    assert (! isempty (strfind (text, "not drawn")));
%!  endif
%!endfunction

%!test run_example (@(out) demo_first_snapshot (fullfile (out, "snapshot.png")), @first_snapshot);
%!test run_example (@demo_live_preview, @live_preview);
%!test run_example (@demo_fast_frames, @fast_frames);
%!test run_example (@demo_sync_two_cameras, @sync_two_cameras);
%!test run_example (@demo_mono16, @mono16);
%!test run_example (@(out) demo_record_to_tiff (out, 30), @record_to_tiff);
%!test run_example (@demo_live_view_in_figure, @live_view);

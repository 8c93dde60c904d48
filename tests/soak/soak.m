## soak.m - mixed captures and error calls on the simulator; prints the host's resident memory growth.
##
## Run from octave-cli with build/mex and tests/octave on the path:
##   QORIN_SOAK_N=5000 octave-cli --eval "addpath('build/mex'); addpath('tests/octave'); soak"
## N captures (grabs, snapshots, fast frames, synchronous snapshots) and N error calls; exits with
## status 1 when the resident set grew by more than QORIN_SOAK_LIMIT_KB (default 5120 kB).

function soak ()
  n = str2double (getenv ("QORIN_SOAK_N"));
  if (isnan (n))
    n = 5000;
  endif
  limit_kb = str2double (getenv ("QORIN_SOAK_LIMIT_KB"));
  if (isnan (limit_kb))
    limit_kb = 5120;
  endif

  qorin_reset (2);
  ## Equal sizes for both cameras: the synchronous capture needs them.
  for k = 1:2
    qorinsim ("set", k, "format", struct ("width", 320, "height", 240));
  endfor
  qorincam (-1, 1);
  qorincam (-1, 2);
  qorincam (0, 1);

  ## A warm-up round lets the host and the allocator reach their working sizes first.
  run_mix (max (50, round (n / 20)));
  before_kb = resident_kb ();
  t0 = tic ();
  [captures, errors] = run_mix (n);
  seconds = toc (t0);
  after_kb = resident_kb ();
  growth_kb = after_kb - before_kb;

  printf ("soak: %d captures, %d error calls in %.1f s (%.0f calls/s)\n", captures, errors, seconds,
          (captures + errors) / seconds);
  printf ("soak: resident memory before %d kB, after %d kB, growth %d kB (limit %d kB)\n",
          before_kb, after_kb, growth_kb, limit_kb);
  qorin_reset ();
  if (growth_kb > limit_kb)
    printf ("soak: FAIL resident memory grew by more than the limit\n");
    exit (1);
  endif
  printf ("soak: OK\n");
endfunction

function [captures, errors] = run_mix (n)
  captures = 0;
  errors = 0;
  for k = 1:n
    ## The simulator logs every SDK call (up to 100000 records); the real SDK keeps nothing,
    ## so the log is emptied to measure the module and the host alone.
    qorinsim ("clearcalls");
    switch (mod (k, 4))
      case 0
        img = qorincam (7, 1);          # grab from the running preview
      case 1
        img = qorincam (13, 2);         # snapshot
      case 2
        img = qorincam (87, 2, 2);      # two fast frames
      otherwise
        img = qorincam (32);            # synchronous snapshots of both cameras
    endswitch
    captures += 1;
    errors += error_call (k);
  endfor
  clear img;
endfunction

## One call that must raise: arguments, connection state, and failing SDK steps mid-capture.
function raised = error_call (k)
  raised = 1;
  try
    switch (mod (k, 8))
      case 0
        qorincam (13, 5);                               # not enough cameras
      case 1
        qorincam (7, 2);                                # not previewing
      case 2
        qorincam (2, "x", 1, 1);                        # class check
      case 3
        qorinsim ("fail", "QorinTakeSnapshot", 5);
        qorincam (13, 2);
      case 4
        qorinsim ("fail", "QorinTakeFastFrame", 5, 1, 1);
        qorincam (87, 2, 3);
      case 5
        qorinsim ("fail", "QorinConvertFrameToRgb24", 5);
        qorincam (7, 1);
      case 6
        qorinsim ("fail", "QorinTakeSynchronousSnapshots", 5);
        qorincam (32);
      otherwise
        qorincam (88, 1, "not a table", -1);            # negative look-up table length
    endswitch
    raised = 0;
  catch
  end_try_catch
  if (! raised)
    error ("soak: error call %d did not raise", k);
  endif
endfunction

function kb = resident_kb ()
  text = fileread ("/proc/self/status");
  kb = str2double (regexp (text, 'VmRSS:\s*(\d+)', "tokens", "once"){1});
endfunction

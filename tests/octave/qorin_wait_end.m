## qorin_wait_end - waits until camera cam's recording has ended (those of the tests end by themselves).
function qorin_wait_end (cam)
  for k = 1:500
    if (! qorincam ("isRecording", cam))
      return;
    endif
    pause (0.01);
  endfor
  error ("the recording did not end");
endfunction

## qorin_reset - unloads the module (its exit hook closes every camera) and resets the simulator.
function qorin_reset (attached)
  clear qorincam
  qorinsim ("reset");
  if (nargin > 0)
    qorinsim ("attach", attached);
  endif
endfunction

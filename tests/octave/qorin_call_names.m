## qorin_call_names - the names of the SDK calls logged since the last reset or clearcalls.
function names = qorin_call_names (varargin)
  calls = qorinsim ("calls");
  names = reshape ({calls.name}, 1, []);
  if (nargin > 0)
    ## Leave out the functions named in the arguments (e.g. "QorinNumCameras").
    names = names(! ismember (names, varargin));
  endif
endfunction

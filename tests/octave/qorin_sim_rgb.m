## qorin_sim_rgb - the RGB picture (planes red, green, blue) the simulator makes of a frame, before orientation.
##   A is the frame as set with qorinsim ('set', n, 'frame', A); colour true for an RGGB camera,
##   whose red sits at even rows and columns (0-based) and blue at odd ones; green is the
##   floor of the mean of the two greens of the 2x2 cell, clamped at the last row and column.
##   A monochrome camera's picture repeats the frame in all three planes.
function P = qorin_sim_rgb (A, colour)
  if (! colour)
    P = cat (3, A, A, A);
    return;
  endif
  [rows, cols] = size (A);
  top = 1:rows;    top = top - mod (top - 1, 2);
  left = 1:cols;   left = left - mod (left - 1, 2);
  bottom = min (top + 1, rows);
  right = min (left + 1, cols);
  W = double (A);
  R = W(top, left);
  G = floor ((W(top, right) + W(bottom, left)) / 2);
  B = W(bottom, right);
  P = cast (cat (3, R, G, B), class (A));
endfunction

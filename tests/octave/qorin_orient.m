## qorin_orient - mirrors an image's rows and/or columns the way the capture commands do.
function B = qorin_orient (A, rows_reversed, cols_reversed)
  B = A;
  if (rows_reversed)
    B = B(end:-1:1, :, :, :);
  endif
  if (cols_reversed)
    B = B(:, end:-1:1, :, :);
  endif
endfunction

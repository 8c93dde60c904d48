## Property pages (parented to the foreground window) and the still and video image formats.

%!test
%! ## Pages go to the SDK with the foreground window; without one nothing is called.
%! cases = {5, "QorinDisplayPropertyPage", "An error occured trying to display the video property page.", ...
%!          "Could not display video property page. Camera 1 is not connected.";
%!          95, "QorinDisplayVideoFormatPage", "An error occured trying to display the video format page.", ...
%!          "Could not display video format page. Camera 1 is not connected."};
%! for k = 1:rows (cases)
%!   qorin_reset ();
%!   qorincam (-1, 1);
%!   qorinsim ("clearcalls");
%!   qorincam (cases{k, 1}, 1);
%!   assert (qorin_call_names ("QorinNumCameras"), cases(k, 2));
%!   calls = qorinsim ("calls");
%!   assert (! isempty (calls(end).args{1}));
%!   qorinsim ("foreground", false);
%!   qorinsim ("clearcalls");
%!   qorin_assert_error (@() qorincam (cases{k, 1}, 1), "Foreground Window NULL");
%!   assert (isempty (qorin_call_names ("QorinNumCameras")));
%!   qorinsim ("foreground", true);
%!   qorinsim ("fail", cases{k, 2}, 9);
%!   qorin_assert_error (@() qorincam (cases{k, 1}, 1), cases{k, 3});
%!   qorincam (-2, 1);
%!   qorin_assert_error (@() qorincam (cases{k, 1}, 1), cases{k, 4});
%! endfor

%!test
%! ## Image formats: the same five fields in the same order, Size preset to 52.
%! qorin_reset ();
%! qorincam (-1, 1);
%! qorincam (2, 1, 320, 200);
%! qorincam (10, 1, true);
%! v = qorincam (99, 1);
%! assert (qorin_call_names ("QorinNumCameras")(end), {"QorinGetVideoImageFormat"});
%! s = qorincam (98, 1);
%! assert (qorin_call_names ("QorinNumCameras")(end), {"QorinGetStillImageFormat"});
%! names = {"Size", "Width", "Height", "PixelFormat", "ImageSize"};
%! assert (fieldnames (v)', names);
%! assert (fieldnames (s)', names);
%! assert (size (v), [1 1]);
%! assert ([v.Size v.Width v.Height v.PixelFormat v.ImageSize], [52 320 200 1 320 * 200 * 2]);
%! assert (s.Size, 52);

%!test
%! ## Failures and not-connected messages of the image-format queries.
%! for code = [98 99]
%!   qorin_reset ();
%!   qorincam (-1, 1);
%!   qorinsim ("fail", {"QorinGetStillImageFormat", "QorinGetVideoImageFormat"}{code - 97}, 9);
%!   qorin_assert_error (@() qorincam (code, 1), "Failed to get image format.");
%!   qorincam (-2, 1);
%!   qorin_assert_error (@() qorincam (code, 1), "Could not get image format. Camera 1 is not connected.");
%! endfor

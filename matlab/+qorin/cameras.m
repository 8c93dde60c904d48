function list = cameras ()
  % CAMERAS  the attached cameras with their connection state and versions.
  %   list = qorin.cameras () returns an N-by-1 structure array with fields
  %     camera     the camera number
  %     connected  whether this session has it connected
  %     version    its version structure (API, Driver, Firmware, FPGA, SN, Reserved),
  %                or [] when it could not be read
  %   A camera that is not connected is connected for the query and closed again.
  n = qorincam (37);
  list = struct ('camera', cell (n, 1), 'connected', false, 'version', []);
  for k = 1:n
    list(k).camera = k;
    list(k).connected = qorincam (6, k);
    try
      if (list(k).connected)
        list(k).version = qorincam (57, k);
      else
        qorincam (-1, k);
        try
          list(k).version = qorincam (57, k);
        catch
        end
        qorincam (-2, k);
      end
    catch
    end
  end
end

function list = cameras ()
  % CAMERAS  the attached cameras with their connection state and versions.
  %   list = qorin.cameras () returns an N-by-1 structure array with fields
  %     camera     the camera number
  %     connected  whether this session has it connected
  %     version    its version structure (API, Driver, Firmware, FPGA, SN, Reserved),
  %                or [] when it could not be read
  %   A camera that is not connected is connected for the query and closed again.
  n = qorincam (qorin.cmd.COUNT_CAMERAS);
  list = struct ('camera', cell (n, 1), 'connected', false, 'version', []);
  for k = 1:n
    list(k).camera = k;
    list(k).connected = qorincam (qorin.cmd.IS_CONNECTED, k);
    try
      if (list(k).connected)
        list(k).version = qorincam (qorin.cmd.QUERY_VERSION, k);
      else
        qorincam (qorin.cmd.CONNECT, k);
        try
          list(k).version = qorincam (qorin.cmd.QUERY_VERSION, k);
        catch
        end
        qorincam (qorin.cmd.DISCONNECT, k);
      end
    catch
    end
  end
end

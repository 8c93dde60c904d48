function frames = syncSnapshots ()
  % SYNCSNAPSHOTS  one synchronous snapshot from every connected camera (at least two).
  %   frames = qorin.syncSnapshots () returns a [rows, cols, 3, N] array, slab k from the
  %   k-th camera in the order they were connected (qorincam code 32).
  frames = qorincam (qorin.cmd.SYNC_SNAPSHOTS);
end

// debug.log's lines go to the browser's console, unchanged: in a page the
// file is a device that hands each line it is given to console.log.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var pending = [];
  var device = FS.makedev(64, 0);
  FS.registerDevice(device, {
    // Written in append mode, which seeks to the end first: a console has none.
    open: function (stream) { stream.seekable = false; },
    close: function () {},
    read: function () { return 0; },
    write: function (stream, buffer, offset, length) {
      for (var i = 0; i < length; i++) {
        var byte = buffer[offset + i];
        if (byte === 10) {
          console.log(new TextDecoder().decode(new Uint8Array(pending)));
          pending = [];
        } else {
          pending.push(byte);
        }
      }
      return length;
    }
  });
  FS.mkdev('/debug.log', device);
});

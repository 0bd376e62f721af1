<?php
// A plain HTTP/1.0 server: every reply has no length and ends with the close.
// usage: php -n http10_server.php PORT   (prints "ready PID" once listening)
$port = (int)($argv[1] ?? 0);
$server = stream_socket_server("tcp://127.0.0.1:$port", $errno, $errstr);
if ($server === false) {
    fwrite(STDERR, "$errstr\n");
    exit(1);
}
echo 'ready ' . getmypid() . "\n";
fflush(STDOUT);
while (($connection = @stream_socket_accept($server, -1)) !== false) {
    $head = '';
    while (strpos($head, "\r\n\r\n") === false) {
        $piece = fread($connection, 8192);
        if ($piece === false || $piece === '') {
            break;
        }
        $head .= $piece;
    }
    $requestLine = strtok($head, "\r\n");
    $body = "You asked for $requestLine\n";
    for ($i = 0; $i < 4096; $i++) {
        $body .= chr($i % 256);
    }
    fwrite($connection, "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" . $body);
    fclose($connection);
}

// Preloaded into the SDK's process: its HTTPS requests to the cloud's fixed hosts go to the
// ocrgated under test instead, as plain HTTP on loopback, and nothing else leaves the host.
'use strict';
const http = require('http');
const https = require('https');

const port = Number(process.env.OCRGATED_PORT);
const plainRequest = http.request;

function optionsOf(url, options) {
    if (typeof url === 'string' || url instanceof URL) {
        const parsed = new URL(url);
        return Object.assign({hostname: parsed.hostname, port: parsed.port,
                              path: parsed.pathname + parsed.search, protocol: parsed.protocol},
                             options);
    }
    return Object.assign({}, url);
}

function loopbackOnly(options) {
    const host = options.hostname || options.host || 'localhost';
    if (!['127.0.0.1', 'localhost'].includes(host.split(':')[0]))
        throw new Error('refused: this test talks to loopback only, not ' + host);
}

https.request = function (url, options, callback) {
    if (typeof options === 'function') [callback, options] = [options, undefined];
    const target = optionsOf(url, options);
    delete target.agent;
    Object.assign(target, {protocol: 'http:', hostname: '127.0.0.1', host: '127.0.0.1', port});
    return plainRequest(target, callback);
};
https.get = function (...args) {
    const request = https.request(...args);
    request.end();
    return request;
};
http.request = function (url, options, callback) {
    if (typeof options === 'function') [callback, options] = [options, undefined];
    loopbackOnly(optionsOf(url, options));
    // Node reads (object, callback) and (url, options, callback), never (object, undefined, callback).
    return options === undefined ? plainRequest(url, callback) : plainRequest(url, options, callback);
};

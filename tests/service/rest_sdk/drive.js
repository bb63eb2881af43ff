// Drives the cloud API's Node.js SDK against ocrgated (through loopback.js) and compares
// each call's lines with what the SOAP operation answers for the same picture.
// Usage: node -r loopback.js drive.js SDK_DIR KEY_ID SECRET PICTURE...
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const [sdkDir, keyId, secret, ...pictures] = process.argv.slice(2);
const sdk = require(path.join(sdkDir, 'node_modules/baidu-aip-sdk'));
const AipOcr = sdk.ocr;
// The SDK gives a call 10 s; a recognition on a loaded two-core test machine may queue longer.
sdk.HttpClient.DEFAULT_TIMEOUT = 120000;
const port = Number(process.env.OCRGATED_PORT);

function post(target, body, headers) {
    return new Promise((resolve, reject) => {
        const request = http.request({host: '127.0.0.1', port, path: target, method: 'POST', headers},
            (response) => {
                let text = '';
                response.setEncoding('utf8');
                response.on('data', (chunk) => text += chunk);
                response.on('end', () => resolve(text));
            });
        request.on('error', reject);
        request.end(body);
    });
}

async function soapWords(base64) {
    const envelope = '<?xml version="1.0"?><soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/">' +
        '<soap:Body><imgbase64totext xmlns="http://quillory.org/ocrgate/"><img>' + base64 +
        '</img></imgbase64totext></soap:Body></soap:Envelope>';
    const reply = await post('/ocrgate/ocrgate.asmx', envelope, {'Content-Type': 'text/xml; charset=utf-8'});
    const inner = /<imgbase64totextResult>([\s\S]*)<\/imgbase64totextResult>/.exec(reply);
    if (!inner) throw new Error('no SOAP result: ' + reply.slice(0, 300));
    const json = inner[1].replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
        .replace(/&apos;/g, "'").replace(/&amp;/g, '&');
    return JSON.parse(json).words_result.map((line) => line.words);
}

// A loopback server of the pictures, for the address calls.
function pictureServer() {
    const server = http.createServer((request, response) => {
        const file = pictures.find((picture) => '/' + path.basename(picture) === request.url);
        if (!file) { response.writeHead(404); response.end(); return; }
        response.writeHead(200, {'Content-Type': 'image/png'});
        response.end(fs.readFileSync(file));
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Each call: the SDK method, its options, and the members its reply must and must not hold.
const calls = [
    {method: 'generalBasic', options: {}, absent: ['location', 'probability', 'direction']},
    {method: 'generalBasic', options: {detect_direction: 'true', detect_language: 'true', probability: 'true', paragraph: 'true'},
     top: ['direction', 'language', 'paragraphs_result'], line: ['probability'], absent: ['location']},
    {method: 'generalBasicUrl', options: {language_type: 'ENG'}, absent: ['location']},
    {method: 'general', options: {vertexes_location: 'true', probability: 'true'},
     line: ['location', 'vertexes_location', 'probability'], absent: ['chars']},
    // Older releases of the SDK name it basicAccurate.
    {method: ['basicAccurate', 'accurateBasic'], options: {detect_direction: 'true'}, top: ['direction'], absent: ['location']},
    {method: 'accurate', options: {paragraph: 'true', probability: 'true', recognize_granularity: 'small'},
     top: ['paragraphs_result'], line: ['location', 'probability', 'chars'], absent: ['vertexes_location']},
];

// A line's characters spell its words without spaces and lie inside its location.
function charProblems(line) {
    const problems = [];
    const spelled = (line.chars || []).map((c) => c.char).join('');
    if (spelled !== line.words.replace(/ /g, '')) problems.push(`chars "${spelled}" != "${line.words}"`);
    const box = line.location;
    for (const c of line.chars || []) {
        const at = c.location;
        if (at.left < box.left || at.top < box.top || at.left + at.width > box.left + box.width ||
            at.top + at.height > box.top + box.height)
            problems.push(`char ${c.char} outside its line`);
    }
    return problems;
}

async function main() {
    const client = new AipOcr('0', keyId, secret);
    const server = await pictureServer();
    let failures = 0;
    for (const picture of pictures) {
        const base64 = fs.readFileSync(picture).toString('base64');
        const expected = await soapWords(base64);
        for (const call of calls) {
            const method = [].concat(call.method).find((name) => typeof client[name] === 'function');
            const subject = method.endsWith('Url')
                ? `http://127.0.0.1:${server.address().port}/${path.basename(picture)}` : base64;
            const reply = await client[method](subject, call.options);
            const words = (reply.words_result || []).map((line) => line.words);
            const problems = [];
            if (reply.error_code) problems.push(`error ${reply.error_code} ${reply.error_msg}`);
            if (JSON.stringify(words) !== JSON.stringify(expected))
                problems.push(`lines ${JSON.stringify(words)} != SOAP ${JSON.stringify(expected)}`);
            if (reply.words_result_num !== words.length) problems.push('words_result_num');
            for (const member of call.top || []) if (!(member in reply)) problems.push('no ' + member);
            const first = (reply.words_result || [])[0] || {};
            for (const member of call.line || []) if (!(member in first)) problems.push('no line ' + member);
            for (const member of call.absent || [])
                if (member in reply || member in first) problems.push('unasked ' + member);
            if (expected.length === 0) problems.push('the SOAP operation read no line');
            if ((call.line || []).includes('chars'))
                for (const line of reply.words_result || []) problems.push(...charProblems(line));
            console.log(`${problems.length ? 'FAIL' : 'ok'} ${path.basename(picture)} ${method} ` +
                        `${JSON.stringify(call.options)} ${words.length} lines${problems.length ? ': ' + problems.join('; ') : ''}`);
            failures += problems.length ? 1 : 0;
        }
        // The code endpoint through the SDK's own method: a page of text holds no codes.
        if (typeof client.qrcode === 'function') {
            const reply = await client.qrcode(base64, {location: 'true'});
            const fine = !reply.error_code && reply.codes_result_num === 0 &&
                Array.isArray(reply.codes_result) && !('words_result' in reply);
            console.log(`${fine ? 'ok' : 'FAIL'} ${path.basename(picture)} qrcode ${JSON.stringify(reply)}`);
            failures += fine ? 0 : 1;
        }
    }
    server.close();
    process.exit(failures ? 1 : 0);
}

main().catch((error) => { console.error('FAIL', error); process.exit(1); });

// Reads caption files the way the npm peers do and prints, one JSON document per file, what
// each understood: every line's start and end and every word's start and text, in
// milliseconds, plus the peer's own complaints.
//   node read-captions.mjs ass|ttml|vtt FILE...
import fs from 'node:fs';
import { DOMParser } from '@xmldom/xmldom';
import { parse as parseAss } from 'ass-compiler';
import webvtt from 'webvtt-parser';

globalThis.DOMParser = DOMParser; // the AMLL reader asks for the browser's XML parser
const { parseTTML } = await import('@applemusic-like-lyrics/lyric');

const ms = (seconds) => Math.round(seconds * 1000);

function readAss(text) {
  const lines = parseAss(text).events.dialogue.map((dialogue) => {
    let at = ms(dialogue.Start);
    const words = [];
    for (const segment of dialogue.Text.parsed) {
      const karaoke = segment.tags.find((tag) => 'k' in tag || 'kf' in tag || 'ko' in tag || 'K' in tag);
      if (karaoke) {
        words.push({ start: at, text: segment.text });
        at += 10 * Object.values(karaoke)[0];
      } else if (words.length > 0) {
        words[words.length - 1].text += segment.text;
      } else {
        words.push({ start: ms(dialogue.Start), text: segment.text });
      }
    }
    return { start: ms(dialogue.Start), end: ms(dialogue.End), karaokeEnd: at, words };
  });
  return { errors: [], lines };
}

function readTtml(text) {
  const lines = parseTTML(text).lines.map((line) => ({
    start: line.startTime,
    end: line.endTime,
    words: line.words.map((word) => ({
      start: word.startTime,
      end: word.endTime,
      text: word.word,
      ruby: (word.ruby ?? []).map((r) => r.word).join(''),
    })),
  }));
  return { errors: [], lines };
}

function readVtt(text) {
  const result = new webvtt.WebVTTParser().parse(text, 'subtitles/captions');
  const lines = result.cues.map((cue) => {
    const words = [{ start: ms(cue.startTime), text: '' }];
    const walk = (node) => {
      for (const child of node.children ?? []) {
        if (child.type === 'timestamp') words.push({ start: ms(child.value), text: '' });
        else if (child.type === 'text') words[words.length - 1].text += child.value;
        else walk(child);
      }
    };
    walk(cue.tree);
    return { start: ms(cue.startTime), end: ms(cue.endTime), words };
  });
  return { errors: result.errors.map((e) => `line ${e.line}: ${e.message}`), lines };
}

const readers = { ass: readAss, ttml: readTtml, vtt: readVtt };
const [format, ...files] = process.argv.slice(2);
for (const file of files) {
  let result;
  try {
    result = readers[format](fs.readFileSync(file, 'utf8').replace(/^\uFEFF/, ''));
  } catch (error) {
    result = { errors: [String(error)], lines: [] };
  }
  console.log(JSON.stringify(result));
}
